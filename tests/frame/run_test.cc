#include "run.h"

#include <gtest/gtest.h>

#include "console/catalogue.h"
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

TEST(RunTest, UsageIntoABrokenPipeFailsButAStatusTextDoesNot) {
  {
    FakePlatform platform;
    platform.fail_write_number = 0;
    const Outcome outcome = RunWith(platform, {});
    EXPECT_EQ(outcome.exit_status, 1);
    EXPECT_NE(outcome.standard_error.find("I/O error 109.\n\r\n"), std::string::npos);
  }
  {
    FakePlatform platform;
    platform.fail_write_number = 0;
    const Outcome outcome = RunWith(platform, {"x"});
    EXPECT_EQ(outcome.exit_status, 0);
    EXPECT_EQ(outcome.standard_error, "");
  }
}

}  // namespace
}  // namespace wirenote
