// The built program given a message file: what it writes and its exit status
// when the file is missing, cannot be opened, or is read. A file that is read
// goes on to be sent; the text itself is checked byte for byte by the unit
// tests, here only that the run got past the file to a send result.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <thread>
#include <vector>

#include "console/catalogue.h"
#include "failure_report_text.h"
#include "fifo_writer.h"
#include "run_binary.h"

namespace wirenote {
namespace {

using testing::FifoWriter;
using testing::RunOptions;
using testing::RunResult;
using testing::RunWirenote;
using testing::TempDir;

// Longer than any computer name: a send to it fails at once, without the
// network, so a run that reaches the send ends quickly.
const std::string kRecipient = "no-such-recipient-name-at-all";

// The failure report for a file that cannot be opened, with the code offset
// on its second line given as XXXXXXXX.
std::string OpenErrorReport(const std::string& name) {
  return testing::FailureReport("EFOpenError", "wirenote", "XXXXXXXX",
                                testing::OpenErrorMessage(name) + ".");
}

// The output with the eight hexadecimal digits of the code offset replaced,
// or unchanged when they are not where a report has them.
std::string MaskCodeOffset(std::string output) {
  const std::size_t line2 = output.find('\n');
  if (line2 == std::string::npos || output.size() < line2 + 9) return output;
  for (std::size_t i = line2 + 1; i < line2 + 9; ++i) {
    const char digit = output[i];
    if (!std::isdigit(static_cast<unsigned char>(digit)) && (digit < 'A' || digit > 'F')) {
      return output;
    }
  }
  output.replace(line2 + 1, 8, "XXXXXXXX");
  return output;
}

bool IsSendResult(const std::string& output) {
  for (const CatalogueText text : {MsgSent, MsgSendFailed, MsgAccessDenied, MsgInvalidParameter,
                                   MsgNotSupported, MsgNameNotFound, MsgNetworkError}) {
    if (output == text) return true;
  }
  return false;
}

void ExpectOpenError(const RunResult& result, const std::string& name) {
  EXPECT_EQ(result.signal, 0);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(MaskCodeOffset(result.standard_output), OpenErrorReport(name));
}

void ExpectFileRead(const RunResult& result) {
  EXPECT_EQ(result.signal, 0);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_TRUE(IsSendResult(result.standard_output)) << result.standard_output;
}

struct NotFoundCase {
  std::string name;
  std::string argument;  // inside the test directory
};

TEST(MessageE2eTest, NoFileWritesFileNotFound) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir.path() + "/folder").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir.path() + "/msg-a").c_str(), 0755), 0);
  dir.WriteFile("msg-b.txt", "b");
  ASSERT_EQ(symlink("nowhere", (dir.path() + "/gone").c_str()), 0);
  const std::vector<NotFoundCase> cases = {
      {"missing file", "missing.txt"},
      {"missing directory", "missing/msg.txt"},
      {"directory", "folder"},
      {"pattern whose first match is a directory", "msg-*"},
      {"pattern that matches nothing", "none*.txt"},
      {"name that is not UTF-8", "\xff\xfe\x82"},
  };
  for (const NotFoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult result = RunWirenote({kRecipient, dir.path() + "/" + c.argument});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, MsgFileNotFound);
  }
}

TEST(MessageE2eTest, APatternWhoseFirstMatchIsAFileCannotBeOpened) {
  TempDir dir;
  dir.WriteFile("msg1.txt", "one");
  dir.WriteFile("msg2.txt", "two");
  RunOptions options;
  options.working_directory = dir.path();
  ExpectOpenError(RunWirenote({kRecipient, "msg*.txt"}, options), "msg*.txt");
}

TEST(MessageE2eTest, AFileLockedByAnotherProcessCannotBeOpened) {
  TempDir dir;
  const std::string path = dir.WriteFile("locked by other.txt", "text");
  int ready[2];
  int release[2];
  ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(release, O_CLOEXEC), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    close(release[1]);
    close(ready[0]);
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
    char byte = 'L';
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    [[maybe_unused]] const ssize_t n = read(release[0], &byte, 1);  // until the test is done
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);

  ExpectOpenError(RunWirenote({kRecipient, path}), path);

  close(release[1]);
  close(ready[0]);
  int status = 0;
  waitpid(holder, &status, 0);
  EXPECT_EQ(status, 0);
  // With the holder gone the same file is read.
  ExpectFileRead(RunWirenote({kRecipient, path}));
}

TEST(MessageE2eTest, AFileThatTheUserMayNotReadCannotBeOpened) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string path = dir.WriteFile("secret.txt", "text");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  std::vector<std::string> arguments{kRecipient, path};
  RunOptions options;
  if (geteuid() == 0) {
    // Root reads any file: run as nobody instead.
    options.binary = "/usr/bin/setpriv";
    if (access(options.binary.c_str(), X_OK) != 0) GTEST_SKIP() << "no setpriv to drop root";
    arguments.insert(arguments.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                         WIRENOTE_BINARY});
  }
  ExpectOpenError(RunWirenote(arguments, options), path);
}

TEST(MessageE2eTest, AFifoWithoutAWriterEndsTheRunInsteadOfWaitingForEver) {
  TempDir dir;
  const std::string path = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  ExpectOpenError(RunWirenote({kRecipient, path}), path);
}

TEST(MessageE2eTest, AFifoWithAWriterIsRead) {
  TempDir dir;
  const std::string path = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::thread writer = FifoWriter(path, "hello\n");
  const RunResult result = RunWirenote({kRecipient, path});
  writer.join();
  ExpectFileRead(result);
}

TEST(MessageE2eTest, StandardInputIsReadAsDevStdin) {
  RunOptions options;
  options.standard_input = "hi from a pipe\n";
  ExpectFileRead(RunWirenote({kRecipient, "/dev/stdin"}, options));
  // An empty pipe whose writer has finished is an empty file.
  ExpectFileRead(RunWirenote({kRecipient, "/dev/stdin"}));
}

// A double quote is an ordinary byte of a file name here: the file named is
// the one read, whatever its neighbour without the quote holds. A FIFO that
// no one writes to stands for a file that cannot be opened.
TEST(MessageE2eTest, TheFileNamedWithADoubleQuoteIsTheFileRead) {
  enum class Kind { kNone, kFile, kUnopenable };
  enum Outcome { kRead, kNotFound, kOpenError };
  const struct {
    const char* what;
    Kind quoted;  // q"x.txt
    Kind plain;   // qx.txt
    Outcome outcome;
  } cases[] = {
      {"only the quoted name exists", Kind::kFile, Kind::kNone, kRead},
      {"only the name without the quote exists", Kind::kNone, Kind::kFile, kNotFound},
      {"the quoted one cannot be opened, its neighbour could", Kind::kUnopenable, Kind::kFile,
       kOpenError},
      {"the quoted one is read, its neighbour could not be", Kind::kFile, Kind::kUnopenable, kRead},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    for (const auto& [name, kind] : {std::pair<std::string, Kind>{"q\"x.txt", c.quoted},
                                     std::pair<std::string, Kind>{"qx.txt", c.plain}}) {
      if (kind == Kind::kFile) dir.WriteFile(name, name + "\n");
      if (kind == Kind::kUnopenable) {
        ASSERT_EQ(mkfifo((dir.path() + "/" + name).c_str(), 0600), 0);
      }
    }
    RunOptions options;
    options.working_directory = dir.path();
    const RunResult result = RunWirenote({kRecipient, "q\"x.txt"}, options);
    switch (c.outcome) {
      case kRead:
        ExpectFileRead(result);
        break;
      case kNotFound:
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.standard_output, MsgFileNotFound);
        break;
      case kOpenError:
        ExpectOpenError(result, "q\"x.txt");
        break;
    }
    EXPECT_EQ(result.standard_error, "");
  }
}

TEST(MessageE2eTest, AnyExistingFileIsRead) {
  TempDir dir;
  const std::string old = dir.WriteFile("dated 1970.txt", "old\n");
  const timespec epoch[2] = {{0, 0}, {0, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), epoch, 0), 0);
  const std::string hidden = dir.WriteFile(".hidden", "h");
  const std::string read_only = dir.WriteFile("read-only", "r");
  ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
  const std::string huge = dir.WriteFile("huge", "head\n");
  ASSERT_EQ(truncate(huge.c_str(), std::int64_t{10} << 30), 0);
  const std::vector<std::string> files = {
      old,
      hidden,
      read_only,
      huge,
      dir.WriteFile("with spaces in the name.txt", "s"),
      dir.WriteFile("\xff\xfe\x82\xa0 not UTF-8", "n"),
      dir.WriteFile("binary", std::string("\x00\x01\xff\r\r\n\x82", 7)),
      dir.WriteFile("empty", ""),
      dir.WriteFile("only breaks", "\r\n\n\r"),
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    ExpectFileRead(RunWirenote({kRecipient, file}));
  }
}

}  // namespace
}  // namespace wirenote
