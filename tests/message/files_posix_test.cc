// The POSIX file-system back: the directory search with wildcards, the
// exclusive open, reads of files, pipes and FIFOs, and the message file read
// through it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "fifo_writer.h"
#include "message/message_file.h"
#include "posix_platform.h"
#include "run_binary.h"

namespace wirenote {
namespace {

using testing::FifoWriter;
using testing::TempDir;

// 1970-01-01 00:00:00 UTC as a FILETIME.
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000ull;

void SetModificationTime(const std::string& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << std::strerror(errno);
}

std::string ReadAll(PosixPlatform& platform, HANDLE file, DWORD chunk) {
  std::string all;
  std::vector<char> buffer(chunk);
  for (;;) {
    DWORD got = 0;
    EXPECT_TRUE(platform.ReadFile(file, buffer.data(), chunk, &got));
    if (got == 0) return all;
    all.append(buffer.data(), got);
  }
}

class FilesPosixTest : public ::testing::Test {
 protected:
  HANDLE Open(const std::string& name) {
    return platform.CreateFileA(name.c_str(), GENERIC_READ, 0, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL);
  }

  PosixPlatform platform;
  TempDir dir;
};

// Which entry a search finds is checked against the shared search table
// (file_search_posix_test.cc).

TEST_F(FilesPosixTest, SearchWithoutADirectoryLooksInTheCurrentOne) {
  dir.WriteFile("b.txt", "b");
  dir.WriteFile("a.txt", "a");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  WIN32_FIND_DATAA data;
  const HANDLE search = platform.FindFirstFileA("?.txt", &data);
  const HANDLE literal = platform.FindFirstFileA("b.txt", &data);
  ASSERT_EQ(chdir(previous), 0);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  ASSERT_NE(literal, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform.FindClose(search));
  EXPECT_TRUE(platform.FindClose(literal));
}

TEST_F(FilesPosixTest, SearchReportsTimeSizeAndAttributesOfAnyFile) {
  const std::string old = dir.WriteFile("old.txt", "x");
  SetModificationTime(old, 0);
  const std::string hidden = dir.WriteFile(".hidden", "h");
  const std::string read_only = dir.WriteFile("read-only", "r");
  ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
  const std::string huge = dir.WriteFile("huge", "");
  ASSERT_EQ(truncate(huge.c_str(), (std::int64_t{8} << 30) + 5), 0);

  WIN32_FIND_DATAA data;
  HANDLE search = platform.FindFirstFileA(old.c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  platform.FindClose(search);
  EXPECT_EQ((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                data.ftLastWriteTime.dwLowDateTime,
            kFileTimeOf1970);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);

  search = platform.FindFirstFileA(hidden.c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  platform.FindClose(search);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);

  search = platform.FindFirstFileA(read_only.c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  platform.FindClose(search);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_READONLY);

  search = platform.FindFirstFileA(huge.c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  platform.FindClose(search);
  EXPECT_EQ(data.nFileSizeHigh, 2u);
  EXPECT_EQ(data.nFileSizeLow, 5u);
}

TEST_F(FilesPosixTest, FindCloseTakesOnlyAnOpenSearch) {
  dir.WriteFile("a", "a");
  WIN32_FIND_DATAA data;
  const HANDLE search = platform.FindFirstFileA((dir.path() + "/a").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform.FindClose(search));
  EXPECT_FALSE(platform.FindClose(search));
  EXPECT_EQ(platform.GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(platform.FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(FilesPosixTest, OpenReadsTheFileToItsEnd) {
  std::string contents;
  for (int i = 0; i < 5000; ++i) contents.push_back(static_cast<char>(i * 7));
  const std::string path = dir.WriteFile("data.bin", contents);
  const HANDLE file = Open(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(platform, file, 1000), contents);
  DWORD got = 99;
  char byte;
  EXPECT_TRUE(platform.ReadFile(file, &byte, 1, &got));  // at the end: no bytes, no error
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(platform.CloseHandle(file));
}

struct OpenFailureCase {
  std::string name;
  std::string path;
  DWORD error;
};

TEST_F(FilesPosixTest, OpenFailsWithTheWindowsError) {
  ASSERT_EQ(mkdir((dir.path() + "/folder").c_str(), 0755), 0);
  dir.WriteFile("msg1.txt", "1");
  const std::vector<OpenFailureCase> cases = {
      {"missing", dir.path() + "/missing", ERROR_FILE_NOT_FOUND},
      {"missing directory", dir.path() + "/missing/file", ERROR_FILE_NOT_FOUND},
      {"directory", dir.path() + "/folder", ERROR_ACCESS_DENIED},
      {"pattern taken literally", dir.path() + "/msg*.txt", ERROR_FILE_NOT_FOUND},
      {"empty name", "", ERROR_FILE_NOT_FOUND},
  };
  for (const OpenFailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Open(c.path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform.GetLastError(), c.error);
  }
}

TEST_F(FilesPosixTest, OpenFailsWhileAnotherHolderLocksTheFile) {
  const std::string path = dir.WriteFile("locked.txt", "x");
  for (const int lock : {LOCK_SH, LOCK_EX}) {
    SCOPED_TRACE(lock == LOCK_SH ? "shared lock" : "exclusive lock");
    const int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, lock), 0);
    EXPECT_EQ(Open(path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform.GetLastError(), ERROR_SHARING_VIOLATION);
    close(other);
    const HANDLE file = Open(path);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    platform.CloseHandle(file);
  }
}

TEST_F(FilesPosixTest, AnOpenHandleKeepsOthersOutUntilItIsClosed) {
  const std::string path = dir.WriteFile("mine.txt", "x");
  const HANDLE file = Open(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);

  EXPECT_EQ(Open(path), INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform.GetLastError(), ERROR_SHARING_VIOLATION);
  const int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  EXPECT_NE(flock(other, LOCK_SH | LOCK_NB), 0);

  EXPECT_TRUE(platform.CloseHandle(file));
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
}

TEST_F(FilesPosixTest, OpenRefusesWhatItDoesNotOffer) {
  const std::string path = dir.WriteFile("a", "a");
  EXPECT_EQ(platform.CreateFileA(path.c_str(), 0x40000000u /* GENERIC_WRITE */, 0, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform.GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(platform.CreateFileA(path.c_str(), GENERIC_READ, 0, 1 /* CREATE_NEW */,
                                 FILE_ATTRIBUTE_NORMAL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform.GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FilesPosixTest, AFifoWithoutAWriterFailsToReadInsteadOfWaitingForEver) {
  const std::string path = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const HANDLE file = Open(path);  // returns at once, with no writer
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[16];
  DWORD got = 99;
  EXPECT_FALSE(platform.ReadFile(file, buffer, sizeof buffer, &got));
  EXPECT_EQ(platform.GetLastError(), ERROR_NO_DATA);
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(platform.CloseHandle(file));
}

TEST_F(FilesPosixTest, AFifoIsReadFromItsWriter) {
  const std::string path = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  for (const std::string data : {"hello\nfifo", ""}) {
    SCOPED_TRACE(data.empty() ? "writer that writes nothing" : "writer with data");
    const HANDLE file = Open(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::thread writer = FifoWriter(path, data);
    EXPECT_EQ(ReadAll(platform, file, 4), data);
    writer.join();
    EXPECT_TRUE(platform.CloseHandle(file));
  }
}

TEST_F(FilesPosixTest, APipeWhoseWriterHasFinishedEndsItsFile) {
  for (const std::string data : {"piped", ""}) {
    SCOPED_TRACE(data.empty() ? "empty pipe" : "pipe with data");
    int again[2];
    ASSERT_EQ(pipe(again), 0);
    if (!data.empty()) {
      ASSERT_EQ(write(again[1], data.data(), data.size()), ssize_t(data.size()));
    }
    close(again[1]);
    const HANDLE file = Open("/proc/self/fd/" + std::to_string(again[0]));
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(platform, file, 3), data);
    platform.CloseHandle(file);
    close(again[0]);
  }
}

// The message file read through the real back, text compared byte for byte.
class MessageFilePosixTest : public FilesPosixTest {
 protected:
  std::optional<std::string> Read(const std::string& name) {
    Console console(platform);
    return ReadMessageFile(platform, console, name);
  }
};

TEST_F(MessageFilePosixTest, ReadsAnyExistingFile) {
  const std::string old = dir.WriteFile("dated 1970.txt", "old\nfile");
  SetModificationTime(old, 0);
  const std::string future = dir.WriteFile("dated 2200.txt", "future");
  SetModificationTime(future, 7258118400);  // 2200-01-01
  const std::string binary = dir.WriteFile("\x82\xa0\xff name.bin", std::string("\x01\xfe\r\r\n", 5));
  const std::string empty = dir.WriteFile("empty", "");
  const std::string breaks = dir.WriteFile("breaks", "\n\r\n\r");
  const std::string huge = dir.WriteFile("huge", "head\r\n");
  ASSERT_EQ(truncate(huge.c_str(), std::int64_t{10} << 30), 0);  // 10 GiB, zeros after the head

  EXPECT_EQ(Read(old), std::optional<std::string>("old\r\nfile\r\n"));
  EXPECT_EQ(Read(future), std::optional<std::string>("future\r\n"));
  EXPECT_EQ(Read(binary), std::optional<std::string>(std::string("\x01\xfe\r\n\r\n", 6)));
  EXPECT_EQ(Read(empty), std::optional<std::string>(""));
  EXPECT_EQ(Read(breaks), std::optional<std::string>("\r\n\r\n\r\n"));
  EXPECT_EQ(Read(huge), std::optional<std::string>("head\r\n"));
}

TEST_F(MessageFilePosixTest, ReadsTheFirstBytesOfAHugeFileOfText) {
  const std::string huge = dir.WriteFile("huge.txt", "");
  {
    const int fd = open(huge.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string line = std::string(99, 'a') + "\n";
    std::string head;
    for (int i = 0; i < 20; ++i) head += line;
    // The text also far out in the file, past 4 GiB: none of it may show.
    ASSERT_EQ(pwrite(fd, head.data(), head.size(), 0), ssize_t(head.size()));
    ASSERT_EQ(pwrite(fd, "tail", 4, (std::int64_t{5} << 30)), 4);
    close(fd);
  }
  std::string expected;
  for (int i = 0; i < 16; ++i) expected += std::string(99, 'a') + "\r\n";
  expected.resize(MaxMessageBytes);
  const std::optional<std::string> text = Read(huge);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, expected);
  EXPECT_EQ(text->size(), MaxMessageBytes);
}

TEST_F(MessageFilePosixTest, ReadsAPipeGivenByName) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(write(ends[1], "hi\n", 3), 3);
  close(ends[1]);
  EXPECT_EQ(Read("/proc/self/fd/" + std::to_string(ends[0])), std::optional<std::string>("hi\r\n"));
  close(ends[0]);
}

TEST_F(MessageFilePosixTest, ReadsAFifoFromItsWriter) {
  const std::string path = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::thread writer = FifoWriter(path, "via\rfifo");
  const std::optional<std::string> text = Read(path);
  writer.join();
  EXPECT_EQ(text, std::optional<std::string>("via\r\nfifo\r\n"));
}

}  // namespace
}  // namespace wirenote
