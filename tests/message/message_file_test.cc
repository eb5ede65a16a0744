// Reading the message file against the in-memory platform: the text rebuilt
// from the file's bytes, the existence test, and the open and its failure.
#include "message/message_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/catalogue.h"
#include "console/console.h"
#include "cp932_text.h"
#include "failure.h"
#include "failure_report_text.h"
#include "fake_platform.h"
#include "run.h"

namespace wirenote {
namespace {

using testing::OpenErrorMessage;

FakeFile FileWith(std::string contents, DWORD attributes, std::optional<DWORD> open_error) {
  FakeFile file;
  file.contents = std::move(contents);
  file.attributes = attributes;
  file.open_error = open_error;
  return file;
}

const ProgramImage kImage{[] { return std::string("wirenote"); },
                          [](const void*) -> std::uint32_t { return 0; }};

std::string Repeat(char byte, std::size_t count) { return std::string(count, byte); }

// Bytes given as hexadecimal pairs, e.g. "61 0D 0A".
std::string Hex(std::string_view pairs) {
  std::string bytes;
  for (std::size_t i = 0; i < pairs.size();) {
    if (pairs[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<char>(std::stoi(std::string(pairs.substr(i, 2)), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

std::string PrintableBytes(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < 48; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    out += digits[byte >> 4];
    out += digits[byte & 15];
    out += ' ';
  }
  if (bytes.size() > 48) out += "... (" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

struct TextCase {
  std::string name;
  std::string contents;
  std::string text;
};

std::vector<TextCase> TextCases() {
  const std::string x1598 = Repeat('x', 1598);
  const std::string x1599 = Repeat('x', 1599);
  return {
      {"empty file", "", ""},
      {"CR LF", Hex("0D 0A"), Hex("0D 0A")},
      {"lone LF", Hex("0A"), Hex("0D 0A")},
      {"lone CR", Hex("0D"), Hex("0D 0A")},
      {"two CR LF", Hex("0D 0A 0D 0A"), Hex("0D 0A 0D 0A")},
      {"no break at the end", Hex("61 62 63"), Hex("61 62 63 0D 0A")},
      {"break at the end", Hex("61 62 63 0D 0A"), Hex("61 62 63 0D 0A")},
      {"LF between", Hex("61 0A 62"), Hex("61 0D 0A 62 0D 0A")},
      {"CR between", Hex("61 0D 62"), Hex("61 0D 0A 62 0D 0A")},
      {"LF CR", Hex("61 0A 0D 62"), Hex("61 0D 0A 0D 0A 62 0D 0A")},
      {"CR CR LF", Hex("61 0D 0D 0A 62"), Hex("61 0D 0A 0D 0A 62 0D 0A")},
      {"CR LF LF", Hex("61 0D 0A 0A 62"), Hex("61 0D 0A 0D 0A 62 0D 0A")},
      {"LF LF at the end", Hex("61 0A 0A"), Hex("61 0D 0A 0D 0A")},
      {"zero byte ends the text", Hex("61 00 62 0D 0A"), Hex("61 0D 0A")},
      {"zero byte first", Hex("00 61 62 63"), ""},
      {"UTF-16 with byte-order mark", Hex("FF FE 48 00 69 00"), Hex("FF FE 48 0D 0A")},
      {"1598 x and CR LF", x1598 + "\r\n", x1598 + "\r\n"},
      {"1599 x and CR LF: the cap cuts the pair", x1599 + "\r\n", x1599 + "\r"},
      {"1599 x and a double-byte character: the cap cuts it", x1599 + Hex("82 A0"),
       x1599 + Hex("82")},
      {"2000 x without a break", Repeat('x', 2000), Repeat('x', 1600)},
      // Beyond the table above: faults it would not show.
      {"a 1600-byte line stays whole, its break is cut off", Repeat('x', 1600) + "\n",
       Repeat('x', 1600)},
      {"lone breaks double in size: 2000 LF give 800 CR LF", Repeat('\n', 2000),
       [] {
         std::string pairs;
         for (int i = 0; i < 800; ++i) pairs += "\r\n";
         return pairs;
       }()},
      {"CR as byte 1600 and LF behind the cap", x1599 + "\r\n" + Repeat('y', 100), x1599 + "\r"},
      {"zero byte behind the cap", Repeat('z', 1700) + std::string(1, '\0'), Repeat('z', 1600)},
      {"bytes 01-FF other than CR and LF pass unchanged",
       [] {
         std::string all;
         for (int byte = 1; byte < 256; ++byte) {
           if (byte != 0x0D && byte != 0x0A) all.push_back(static_cast<char>(byte));
         }
         return all;
       }(),
       [] {
         std::string all;
         for (int byte = 1; byte < 256; ++byte) {
           if (byte != 0x0D && byte != 0x0A) all.push_back(static_cast<char>(byte));
         }
         return all + "\r\n";
       }()},
  };
}

class MessageFileTest : public ::testing::Test {
 protected:
  std::optional<std::string> Read(std::string_view argument) {
    Console console(platform);
    std::optional<std::string> text = ReadMessageFile(platform, console, argument);
    console.Close();
    return text;
  }

  FakePlatform platform;
};

TEST_F(MessageFileTest, RebuildsEveryLineWithCrLfAndCutsAt1600Bytes) {
  for (const TextCase& c : TextCases()) {
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{7}}) {
      SCOPED_TRACE(c.name + ", read in chunks of " + std::to_string(chunk));
      FakePlatform fresh;
      FakeFile file;
      file.contents = c.contents;
      file.read_chunk = chunk;
      fresh.files["msg.txt"] = file;
      Console console(fresh);
      const std::optional<std::string> text = ReadMessageFile(fresh, console, "msg.txt");
      console.Close();
      ASSERT_TRUE(text.has_value());
      EXPECT_EQ(PrintableBytes(*text), PrintableBytes(c.text));
      EXPECT_EQ(*text, c.text);
      EXPECT_EQ(fresh.StandardOutput(), "");
      EXPECT_EQ(fresh.open_files, 0);
      EXPECT_EQ(fresh.open_searches, 0);
    }
  }
}

TEST_F(MessageFileTest, ReadsNoMoreThanTheCapCanUse) {
  // Ten megabytes of text: no read asks for more than 1600 bytes, and no
  // more than 1600 bytes are read in all.
  platform.files["big.txt"].contents = std::string(10 << 20, 'a');
  const std::optional<std::string> text = Read("big.txt");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, Repeat('a', 1600));
  EXPECT_LE(platform.largest_read_request, MaxMessageBytes);
  EXPECT_LE(platform.bytes_read, MaxMessageBytes);
}

TEST_F(MessageFileTest, StopsReadingAtTheFirstZeroByte) {
  platform.files["msg.txt"].contents = "hi" + std::string(1, '\0') + Repeat('a', 5000);
  platform.files["msg.txt"].read_chunk = 3;
  const std::optional<std::string> text = Read("msg.txt");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, "hi\r\n");
  EXPECT_EQ(platform.bytes_read, 3u);
}

TEST_F(MessageFileTest, OpensTheNamedFileForReadingWithoutSharing) {
  // A name with a space, as the command-line convention hands it over: the
  // quotes around it already gone.
  platform.files["a b.txt"].contents = "hello";
  const std::optional<std::string> text = Read("a b.txt");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, "hello\r\n");
  EXPECT_EQ(platform.last_desired_access, GENERIC_READ);
  EXPECT_EQ(platform.last_share_mode, 0u);
  EXPECT_EQ(platform.last_creation_disposition, static_cast<DWORD>(OPEN_EXISTING));
  const std::vector<std::string> expected{"FindFirstFileA", "FindClose", "CreateFileA", "ReadFile",
                                          "ReadFile", "CloseHandle"};
  EXPECT_EQ(platform.calls, expected);
}

// On POSIX a file name may hold a double quote; the name given is the file
// read, never the name with its quotes taken out.
TEST(MessageFileNameTest, ADoubleQuoteIsAByteOfTheName) {
  const struct {
    const char* what;
    std::vector<std::string> files;  // each holds its own name
    std::string argument;
    std::optional<std::string> text;  // none: MsgFileNotFound
  } cases[] = {
      {"both exist: the one named", {"q\"x.txt", "qx.txt"}, "q\"x.txt", "q\"x.txt\r\n"},
      {"both exist: the other one named", {"q\"x.txt", "qx.txt"}, "qx.txt", "qx.txt\r\n"},
      {"only the quoted one", {"q\"x.txt"}, "q\"x.txt", "q\"x.txt\r\n"},
      {"only the one without the quote", {"qx.txt"}, "q\"x.txt", std::nullopt},
      {"quotes around a name that has none", {"qx.txt"}, "\"qx.txt\"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform platform;
    for (const std::string& name : c.files) platform.files[name].contents = name;
    Console console(platform);
    EXPECT_EQ(ReadMessageFile(platform, console, c.argument), c.text);
    console.Close();
    EXPECT_EQ(platform.StandardOutput(), c.text ? std::string() : std::string(MsgFileNotFound));
    EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "CreateFileA"),
              c.text ? 1 : 0);
  }
}

TEST_F(MessageFileTest, AttributesOtherThanDirectoryMakeNoDifference) {
  // One type for all: <windows.h> gives the attributes as plain ints.
  for (const DWORD attributes : std::initializer_list<DWORD>{
           FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
           FILE_ATTRIBUTE_ARCHIVE, DWORD{0x04} /* system */,
           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE}) {
    SCOPED_TRACE(attributes);
    FakePlatform fresh;
    fresh.files["msg.txt"] = FileWith("text", attributes, std::nullopt);
    EXPECT_TRUE(MessageFileExists(fresh, "msg.txt"));
    Console console(fresh);
    EXPECT_EQ(ReadMessageFile(fresh, console, "msg.txt"), std::optional<std::string>("text\r\n"));
  }
}

struct NotFoundCase {
  std::string name;
  std::string argument;
};

TEST_F(MessageFileTest, WritesFileNotFoundAndOpensNothingWhenNoFileIsThere) {
  platform.files["folder"].attributes = FILE_ATTRIBUTE_DIRECTORY;
  platform.files["msg-a"].attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
  platform.files["msg-b.txt"].contents = "b";
  platform.files["msg.txt"].contents = "text";
  const std::vector<NotFoundCase> cases = {
      {"missing", "other.txt"},
      {"directory", "folder"},
      {"pattern whose first match is a directory", "msg-*"},
      {"two double quotes name a file of that name, not the empty name", "\"\""},
      {"a zero byte would shorten the name", std::string("msg.txt\0.doc", 12)},
  };
  for (const NotFoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform& p = platform;
    p.calls.clear();
    p.standard_output_writes.clear();
    Console console(p);
    EXPECT_EQ(ReadMessageFile(p, console, c.argument), std::nullopt);
    console.Close();
    EXPECT_EQ(p.StandardOutput(), MsgFileNotFound);
    for (const std::string& call : p.calls) {
      EXPECT_NE(call, "CreateFileA");
      EXPECT_NE(call, "ReadFile");
    }
    EXPECT_EQ(p.open_searches, 0);
  }
}

TEST(MessageFileExistsTest, AnswersWithoutWritingAnything) {
  FakePlatform platform;
  platform.files["msg.txt"].contents = "x";
  platform.files["dir"].attributes = FILE_ATTRIBUTE_DIRECTORY;
  EXPECT_TRUE(MessageFileExists(platform, "msg.txt"));
  EXPECT_TRUE(MessageFileExists(platform, "m?g.*"));
  EXPECT_FALSE(MessageFileExists(platform, "dir"));
  EXPECT_FALSE(MessageFileExists(platform, "none"));
  EXPECT_EQ(platform.StandardOutput(), "");
  EXPECT_EQ(platform.open_files, 0);
  EXPECT_EQ(platform.open_searches, 0);
}

struct OpenErrorCase {
  std::string name;
  std::string argument;
  std::string name_in_message;
};

TEST_F(MessageFileTest, RaisesEFOpenErrorWithTheNameWhenTheOpenFails) {
  platform.files["locked.txt"] = FileWith("x", FILE_ATTRIBUTE_NORMAL, ERROR_SHARING_VIOLATION);
  platform.files["denied.txt"] = FileWith("x", FILE_ATTRIBUTE_NORMAL, ERROR_ACCESS_DENIED);
  platform.files["\"denied\".txt"] = FileWith("x", FILE_ATTRIBUTE_NORMAL, ERROR_ACCESS_DENIED);
  platform.files["msg1.txt"].contents = "one";
  platform.files["msg2.txt"].contents = "two";
  const std::vector<OpenErrorCase> cases = {
      {"held by another process", "locked.txt", "locked.txt"},
      {"access denied", "denied.txt", "denied.txt"},
      {"double quotes are bytes of the name", "\"denied\".txt", "\"denied\".txt"},
      // The search matches msg1.txt, but the open takes the pattern literally.
      {"pattern whose first match is a file", "msg*.txt", "msg*.txt"},
  };
  for (const OpenErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    Console console(platform);
    try {
      ReadMessageFile(platform, console, c.argument);
      ADD_FAILURE() << "no failure raised";
    } catch (const EFOpenError& failure) {
      EXPECT_EQ(failure.class_name(), "EFOpenError");
      EXPECT_EQ(failure.message(), OpenErrorMessage(c.name_in_message));
    }
    console.Close();
    EXPECT_EQ(platform.StandardOutput(), "");
    EXPECT_EQ(platform.open_files, 0);
  }
}

TEST_F(MessageFileTest, AReadThatFailsRaisesEFOpenErrorAndClosesTheFile) {
  // Some bytes of the file come through before the read fails: none are
  // passed on as the message.
  platform.files["bad.txt"].contents = "partial line\n";
  platform.files["bad.txt"].read_error = ERROR_IO_DEVICE;
  platform.files["bad.txt"].read_chunk = 5;
  Console console(platform);
  EXPECT_THROW(ReadMessageFile(platform, console, "bad.txt"), EFOpenError);
  EXPECT_EQ(platform.open_files, 0);
  EXPECT_EQ(platform.calls.back(), "CloseHandle");
  EXPECT_EQ(platform.StandardOutput(), "");
}

TEST(MessageFileRunTest, AnOpenFailureEndsTheRunWithTheReportAndNothingSent) {
  FakePlatform platform;
  platform.files["locked.txt"] = FileWith("x", FILE_ATTRIBUTE_NORMAL, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(RunProgram(platform, {"HOST", "locked.txt"}, kImage), 1);
  const std::string output = platform.StandardOutput();
  EXPECT_EQ(output.rfind("EFOpenError", 0), 0u) << output;
  EXPECT_TRUE(output.ends_with("\n" + OpenErrorMessage("locked.txt") + ".\n\r\n")) << output;
  EXPECT_EQ(output, testing::FailureReport("EFOpenError", "wirenote", "00000000",
                                           OpenErrorMessage("locked.txt") + "."));
  EXPECT_TRUE(platform.sends.empty());
}

TEST(MessageFileRunTest, AMissingFileEndsTheRunWithFileNotFoundAndNothingSent) {
  FakePlatform platform;
  EXPECT_EQ(RunProgram(platform, {"HOST", "missing.txt"}, kImage), 0);
  EXPECT_EQ(platform.StandardOutput(), MsgFileNotFound);
  EXPECT_TRUE(platform.sends.empty());
}

TEST(MessageFileRunTest, AFoundFileIsHandedOnToBeSent) {
  FakePlatform platform;
  platform.files["msg.txt"].contents = "hello\n";
  EXPECT_EQ(RunProgram(platform, {"HOST", "msg.txt"}, kImage), 0);
  EXPECT_EQ(platform.sends.size(), 1u);
  EXPECT_NE(platform.StandardOutput(), MsgFileNotFound);
  EXPECT_EQ(platform.StandardOutput(), testing::Cp932FromUtf8("ﾒｯｾｰｼﾞは正常に送信されました。"));
}

}  // namespace
}  // namespace wirenote
