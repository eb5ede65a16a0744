#include "failure_report.h"

#include <gtest/gtest.h>

#include "failure.h"

namespace wirenote {
namespace {

// "がﾓｼﾞｭｰﾙ " / " の" / " で発生しました。" in code page 932.
const std::string kInModule = "\x82\xaa\xd3\xbc\xde\xad\xb0\xd9\x20";
const std::string kOf = "\x20\x82\xcc";
const std::string kArose = "\x20\x82\xc5\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

TEST(FailureReportTest, ThreeLinesEndedByLfThenCrLf) {
  EXPECT_EQ(FormatFailureReport("EInOutError", "wirenote", 0x1A2BC, "I/O error 109"),
            "EInOutError" + kInModule + "wirenote" + kOf + "\n" + "0001A2BC" + kArose + "\n" +
                "I/O error 109.\n\r\n");
}

TEST(FailureReportTest, FullStopRule) {
  const struct {
    std::string message;
    std::string line3;
  } cases[] = {
      {"abc", "abc."},
      {"abc.", "abc."},
      {"", ""},
      {"\x82\xb1\x81\x42", "\x82\xb1\x81\x42."},  // a full-width stop is not "."
  };
  for (const auto& c : cases) {
    const std::string report = FormatFailureReport("E", "p", 0, c.message);
    const std::size_t start = report.rfind('\n', report.size() - 4) + 1;
    EXPECT_EQ(report.substr(start), c.line3 + "\n\r\n") << c.message;
  }
}

TEST(FailureReportTest, ProgramNameCutTo63BytesAndLongReportsKeptWhole) {
  const std::string name(100, 'w');
  const std::string message(400, 'm');
  const std::string report = FormatFailureReport("EFOpenError", name, 0xFFFFFFFF, message);
  EXPECT_EQ(report.substr(0, report.find('\n')),
            "EFOpenError" + kInModule + std::string(63, 'w') + kOf);
  EXPECT_NE(report.find("FFFFFFFF" + kArose), std::string::npos);
  EXPECT_NE(report.find(message + ".\n\r\n"), std::string::npos);
}

TEST(FailureReportTest, FailureClassesCarryTheirMessages) {
  const EFOpenError open_error("a b.txt");
  EXPECT_EQ(open_error.class_name(), "EFOpenError");
  // "ﾌｧｲﾙ a b.txt は開けません"
  EXPECT_EQ(open_error.message(), "\xcc\xa7\xb2\xd9 a b.txt \x82\xcd\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1");
  const EOutOfMemory out_of_memory;
  EXPECT_EQ(out_of_memory.class_name(), "EOutOfMemory");
  // "ﾒﾓﾘが足りません"
  EXPECT_EQ(out_of_memory.message(), "\xd2\xd3\xd8\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
  const EInOutError io_error(112);
  EXPECT_EQ(io_error.class_name(), "EInOutError");
  EXPECT_EQ(io_error.code(), 112u);
  EXPECT_NE(io_error.address(), nullptr);
}

}  // namespace
}  // namespace wirenote
