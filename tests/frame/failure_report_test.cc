#include "failure_report.h"

#include <gtest/gtest.h>

#include "cp932_text.h"
#include "failure.h"
#include "failure_report_text.h"

namespace wirenote {
namespace {

// The expected wording comes from readable text through the system's
// conversion, never from the bytes the implementation holds.
using testing::Cp932FromUtf8;
using testing::OpenErrorMessage;
using testing::OutOfMemoryMessage;
using testing::ReportArose;
using testing::ReportInModule;
using testing::ReportOf;
using testing::Utf8FromCp932;

TEST(FailureReportTest, ThreeLinesEndedByLfThenCrLf) {
  const std::string report =
      FormatFailureReport("EInOutError", "wirenote", 0x1A2BC, "I/O error 109");
  EXPECT_EQ(report, "EInOutError" + ReportInModule() + "wirenote" + ReportOf() + "\n" +
                        "0001A2BC" + ReportArose() + "\n" + "I/O error 109.\n\r\n");
  EXPECT_EQ(Utf8FromCp932(report),
            "EInOutErrorがﾓｼﾞｭｰﾙ wirenote の\n0001A2BC で発生しました。\nI/O error 109.\n\r\n");
}

TEST(FailureReportTest, FullStopRule) {
  const struct {
    std::string message;
    std::string line3;
  } cases[] = {
      {"abc", "abc."},
      {"abc.", "abc."},
      {"", ""},
      {Cp932FromUtf8("こ。"), Cp932FromUtf8("こ。") + "."},  // a full-width stop is not "."
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
            "EFOpenError" + ReportInModule() + std::string(63, 'w') + ReportOf());
  EXPECT_NE(report.find("FFFFFFFF" + ReportArose()), std::string::npos);
  EXPECT_NE(report.find(message + ".\n\r\n"), std::string::npos);
}

TEST(FailureReportTest, FailureClassesCarryTheirMessages) {
  const EFOpenError open_error("a b.txt");
  EXPECT_EQ(open_error.class_name(), "EFOpenError");
  EXPECT_EQ(open_error.message(), Cp932FromUtf8("ﾌｧｲﾙ a b.txt は開けません"));
  EXPECT_EQ(open_error.message(), OpenErrorMessage("a b.txt"));
  const EOutOfMemory out_of_memory;
  EXPECT_EQ(out_of_memory.class_name(), "EOutOfMemory");
  EXPECT_EQ(out_of_memory.message(), OutOfMemoryMessage());
  const EInOutError io_error(112);
  EXPECT_EQ(io_error.class_name(), "EInOutError");
  EXPECT_EQ(io_error.code(), 112u);
  EXPECT_NE(io_error.address(), nullptr);
}

}  // namespace
}  // namespace wirenote
