// The built program, run as a user runs it: exact bytes on standard output
// and the exit status, whatever standard output is.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "console/catalogue.h"
#include "failure_report_text.h"
#include "run_binary.h"

namespace wirenote {
namespace {

using testing::RunResult;
using testing::RunWirenote;
using testing::StandardOutput;
using Args = std::vector<std::string>;

TEST(FrameEndToEndTest, EveryBranchWritesExactlyItsText) {
  const struct {
    Args arguments;
    CatalogueText text;
  } cases[] = {
      {{}, MsgUsage},
      {{"/?"}, MsgUsage},
      {{"-H"}, MsgUsage},
      {{""}, MsgUsage},  // a lone pair of quotes is no argument
      {{"HOST"}, MsgTooFewParams},
      {{"", "HOST"}, MsgTooFewParams},
      {{"/"}, MsgTooFewParams},
      {{"a", "b", "c"}, MsgParamError},
      {{"a", "b", "c", "d", "e"}, MsgParamError},
      {{std::string(300, 'n')}, MsgTooFewParams},
  };
  for (const auto& c : cases) {
    for (StandardOutput where : {StandardOutput::kPipe, StandardOutput::kFile}) {
      const RunResult result = RunWirenote(c.arguments, testing::WithStandardOutput(where));
      EXPECT_EQ(result.exit_status, 0) << ::testing::PrintToString(c.arguments);
      EXPECT_EQ(result.standard_output, c.text) << ::testing::PrintToString(c.arguments);
      EXPECT_EQ(result.standard_error, "");
    }
  }
}

// "EInOutErrorがﾓｼﾞｭｰﾙ wirenote の" LF, eight hex digits " で発生しました。" LF,
// "I/O error <code>." LF CR LF.
void ExpectInOutReport(const std::string& report, int code) {
  const std::string line1 =
      "EInOutError" + testing::ReportInModule() + "wirenote" + testing::ReportOf() + "\n";
  ASSERT_EQ(report.substr(0, line1.size()), line1) << report;
  const std::string rest = report.substr(line1.size());
  const std::string arose = testing::ReportArose() + "\n";
  ASSERT_EQ(rest.size(), 8 + arose.size() + ("I/O error " + std::to_string(code) + ".\n\r\n").size());
  const std::string address = rest.substr(0, 8);
  EXPECT_TRUE(std::all_of(address.begin(), address.end(),
                          [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }))
      << rest;
  EXPECT_EQ(rest.substr(8), arose + "I/O error " + std::to_string(code) + ".\n\r\n");
}

TEST(FrameEndToEndTest, UnwritableStandardOutputFailsWithTheReportOnStandardError) {
  const struct {
    const char* what;
    StandardOutput where;
    Args arguments;
    int code;
  } cases[] = {
      {"closed", StandardOutput::kClosed, {}, 103},
      {"closed, status text", StandardOutput::kClosed, {"HOST"}, 103},
      {"/dev/full is a device: written at once", StandardOutput::kDevFull, {"HOST"}, 112},
      {"/dev/full, usage", StandardOutput::kDevFull, {}, 112},
      {"reader gone: the usage fills the buffer", StandardOutput::kBrokenPipe, {}, 109},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RunResult result = RunWirenote(c.arguments, testing::WithStandardOutput(c.where));
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_status, 1);
    ExpectInOutReport(result.standard_error, c.code);
  }
}

TEST(FrameEndToEndTest, AStatusTextIntoABrokenPipeIsLostQuietly) {
  const RunResult result =
      RunWirenote({"HOST"}, testing::WithStandardOutput(StandardOutput::kBrokenPipe));
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.standard_error, "");
}

// On a terminal whose locale is UTF-8 the texts are shown converted; to a
// file or pipe they stay code page 932 (checked above).
TEST(FrameEndToEndTest, AUtf8TerminalShowsTheTextConverted) {
  for (const auto& [locale, expected] :
       {std::pair<std::string, std::string>{"C.UTF-8", "ﾊﾟﾗﾒｰﾀが足りません。"},
        std::pair<std::string, std::string>{"C", std::string(MsgTooFewParams)}}) {
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("LC_ALL", locale.c_str(), 1);
      execl(WIRENOTE_BINARY, WIRENOTE_BINARY, "HOST", static_cast<char*>(nullptr));
      _exit(127);
    }
    std::string output;
    char buffer[256];
    for (;;) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      output.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << locale;
    EXPECT_EQ(output, expected) << locale;
  }
}

}  // namespace
}  // namespace wirenote
