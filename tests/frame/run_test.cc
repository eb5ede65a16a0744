#include "run.h"

#include <gtest/gtest.h>

#include "console/catalogue.h"
#include "failure_report_text.h"
#include "fake_platform.h"

namespace wirenote {
namespace {

using Args = std::vector<std::string>;

struct Outcome {
  int exit_status;
  std::string standard_output;
  std::string standard_error;
};

Outcome RunWith(FakePlatform& platform, const Args& arguments) {
  const int status = RunProgram(platform, arguments, {[] { return std::string("wirenote"); }, [](const void*) { return 0x1234u; }});
  return {status, platform.StandardOutput(), platform.standard_error};
}

TEST(RunTest, BranchesByArgumentCount) {
  const struct {
    Args arguments;
    CatalogueText text;
  } cases[] = {
      {{}, MsgUsage},
      {{"HOST"}, MsgTooFewParams},
      {{"/"}, MsgTooFewParams},
      {{"-"}, MsgTooFewParams},
      {{"a", "b", "c"}, MsgParamError},
      {{"/h", "b", "c"}, MsgParamError},
      {{"a", "b", "c", "d"}, MsgParamError},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    const Outcome outcome = RunWith(platform, c.arguments);
    EXPECT_EQ(outcome.exit_status, 0);
    EXPECT_EQ(outcome.standard_output, c.text) << ::testing::PrintToString(c.arguments);
    EXPECT_TRUE(platform.sends.empty());
  }
}

TEST(RunTest, HelpSwitches) {
  for (const char* help : {"/h", "/H", "-h", "-H", "/?", "-?", "/help", "-Hx", "/?abc"}) {
    EXPECT_TRUE(IsHelpSwitch(help)) << help;
    FakePlatform platform;
    EXPECT_EQ(RunWith(platform, {help}).standard_output, MsgUsage) << help;
  }
  for (const char* other : {"/", "-", "h", "?", "help", "//h", "/x", "x/?", "\\h", "/\xe8"}) {
    EXPECT_FALSE(IsHelpSwitch(other)) << other;
    FakePlatform platform;
    EXPECT_EQ(RunWith(platform, {other}).standard_output, MsgTooFewParams) << other;
  }
}

TEST(RunTest, EveryCommandLineGivesNTOnlyOutsideTheNTFamily) {
  const Args command_lines[] = {{}, {"/?"}, {"HOST"}, {"HOST", "msg.txt"}, {"a", "b", "c"}};
  for (DWORD id : {VER_PLATFORM_WIN32s, VER_PLATFORM_WIN32_WINDOWS}) {
    for (const Args& arguments : command_lines) {
      FakePlatform platform;
      platform.platform_id = id;
      platform.files["msg.txt"].contents = "abc";
      const Outcome outcome = RunWith(platform, arguments);
      EXPECT_EQ(outcome.exit_status, 0);
      EXPECT_EQ(outcome.standard_output, MsgNTOnly);
      EXPECT_EQ(platform.version_record_size_seen, 148u);
      EXPECT_TRUE(platform.sends.empty());
      EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "FindFirstFileA"), 0);
    }
  }
}

TEST(RunTest, AFailedVersionQueryCountsAsNotNT) {
  FakePlatform platform;
  platform.version_query_fails = true;
  EXPECT_EQ(RunWith(platform, {}).standard_output, MsgNTOnly);
}

TEST(RunTest, MissingMessageFileIsAReportedOutcome) {
  FakePlatform platform;
  const Outcome outcome = RunWith(platform, {"HOST", "missing.txt"});
  EXPECT_EQ(outcome.exit_status, 0);
  EXPECT_EQ(outcome.standard_output, MsgFileNotFound);
  EXPECT_TRUE(platform.sends.empty());
}

TEST(RunTest, UnusableStandardOutputReportsToStandardError) {
  FakePlatform platform;
  platform.has_standard_output = false;
  const Outcome outcome = RunWith(platform, {});
  EXPECT_EQ(outcome.exit_status, 1);
  EXPECT_EQ(outcome.standard_output, "");
  EXPECT_EQ(outcome.standard_error.rfind("EInOutError", 0), 0u);
  EXPECT_NE(outcome.standard_error.find("I/O error 103.\n\r\n"), std::string::npos);
}

// The usage text fails at its first 128 bytes, during the run; a status
// text, and the rest of the usage text, wait in the buffer and fail when the
// run ends. Either way the text is lost, and the run says so.
TEST(RunTest, AnyTextLostToABrokenPipeOrAFullDiskFailsTheRun) {
  const struct {
    const char* what;
    Args arguments;
    DWORD type;
    std::size_t failing_write;
    DWORD error;
    std::string written;
  } cases[] = {
      {"usage, its first 128 bytes", {}, FILE_TYPE_PIPE, 0, ERROR_BROKEN_PIPE, ""},
      {"status text at the end of the run", {"x"}, FILE_TYPE_PIPE, 0, ERROR_BROKEN_PIPE, ""},
      {"status text to a full disk", {"a", "b", "c"}, FILE_TYPE_DISK, 0, ERROR_DISK_FULL, ""},
      {"the rest of the usage at the end of the run", {"/?"}, FILE_TYPE_PIPE, 1, ERROR_BROKEN_PIPE,
       std::string(MsgUsage.substr(0, 128))},
      {"a send's status text", {"HOST", "msg.txt"}, FILE_TYPE_PIPE, 0, ERROR_BROKEN_PIPE, ""},
      {"not found", {"HOST", "missing.txt"}, FILE_TYPE_DISK, 0, ERROR_DISK_FULL, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform platform;
    platform.files["msg.txt"].contents = "hi";
    platform.standard_output_type = c.type;
    platform.fail_write_number = c.failing_write;
    platform.write_error = c.error;
    const Outcome outcome = RunWith(platform, c.arguments);
    EXPECT_EQ(outcome.exit_status, 1);
    EXPECT_EQ(outcome.standard_output, c.written);
    EXPECT_EQ(outcome.standard_error.rfind("EInOutError", 0), 0u) << outcome.standard_error;
    EXPECT_TRUE(outcome.standard_error.ends_with("\nI/O error " + std::to_string(c.error) +
                                                 ".\n\r\n"))
        << outcome.standard_error;
  }
}

TEST(RunTest, EveryTextWrittenInFullEndsWithExitStatus0AndNothingOnStandardError) {
  for (const DWORD type : {FILE_TYPE_CHAR, FILE_TYPE_DISK, FILE_TYPE_PIPE}) {
    for (const Args& arguments : {Args{}, Args{"x"}, Args{"HOST", "missing.txt"}}) {
      FakePlatform platform;
      platform.standard_output_type = type;
      const Outcome outcome = RunWith(platform, arguments);
      EXPECT_EQ(outcome.exit_status, 0) << type;
      EXPECT_EQ(outcome.standard_error, "") << type;
      EXPECT_FALSE(outcome.standard_output.empty()) << type;
    }
  }
}

// A console shows code page 932; a file name in a report is in the user's
// code page (here UTF-8, as in a UTF-8 locale) and is converted for it. A
// file or a pipe takes the name's bytes as they were given. In the fake's
// code page 932 the unit 0x82A0 is the character 82 A0, and 0x4E00 has none.
TEST(RunTest, AFileNameInAReportIsConvertedForAConsoleOnly) {
  const std::string name = "\xE8\x8A\xA0\xE4\xB8\x80.txt";  // U+82A0 U+4E00 .txt
  const std::string on_console = "\x82\xA0?.txt";
  const struct {
    const char* what;
    DWORD output_type;
    bool output_breaks;
    DWORD error_type;
    std::string shown_name;
    bool on_standard_error;
  } cases[] = {
      {"console", FILE_TYPE_CHAR, false, FILE_TYPE_PIPE, on_console, false},
      {"pipe", FILE_TYPE_PIPE, false, FILE_TYPE_CHAR, name, false},
      {"file", FILE_TYPE_DISK, false, FILE_TYPE_CHAR, name, false},
      {"broken pipe, standard error a console", FILE_TYPE_PIPE, true, FILE_TYPE_CHAR, on_console,
       true},
      {"broken pipe, standard error a file", FILE_TYPE_PIPE, true, FILE_TYPE_DISK, name, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform platform;
    platform.user_code_page_utf8 = true;
    platform.files[name].contents = "x";
    platform.files[name].open_error = ERROR_SHARING_VIOLATION;
    platform.standard_output_type = c.output_type;
    platform.standard_error_type = c.error_type;
    if (c.output_breaks) platform.fail_write_number = 0;
    const Outcome outcome = RunWith(platform, {"HOST", name});
    EXPECT_EQ(outcome.exit_status, 1);
    const std::string report = testing::FailureReport(
        "EFOpenError", "wirenote", "00001234", testing::OpenErrorMessage(c.shown_name) + ".");
    EXPECT_EQ(c.on_standard_error ? outcome.standard_error : outcome.standard_output, report);
    EXPECT_EQ(c.on_standard_error ? outcome.standard_output : outcome.standard_error, "");
  }
}

}  // namespace
}  // namespace wirenote
