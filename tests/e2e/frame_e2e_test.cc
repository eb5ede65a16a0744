// The built program, run as a user runs it: exact bytes on standard output
// and the exit status, whatever standard output is.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/catalogue.h"
#include "cp932_text.h"
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
      // A status text waits in the buffer; lost when the run ends, it fails
      // the run all the same.
      {"reader gone: a status text", StandardOutput::kBrokenPipe, {"HOST"}, 109},
      {"reader gone: file not found", StandardOutput::kBrokenPipe, {"HOST", "/no/such/file"}, 109},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RunResult result = RunWirenote(c.arguments, testing::WithStandardOutput(c.where));
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_status, 1);
    ExpectInOutReport(result.standard_error, c.code);
  }
}

// A file system of its own, one page large and full to the last byte,
// mounted in a mount namespace of the test's own (which needs root).
class FullFileSystem {
 public:
  FullFileSystem() {
    static const bool own_namespace = unshare(CLONE_NEWNS) == 0 &&
                                      mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (!own_namespace || mount("wirenote-full", dir_.path().c_str(), "tmpfs", 0, "size=4k") != 0) {
      return;
    }
    mounted_ = true;
    const int filler = open((dir_.path() + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string block(512, 'f');
    while (filler >= 0 && write(filler, block.data(), block.size()) > 0) {
    }
    if (filler >= 0) close(filler);
  }
  ~FullFileSystem() {
    if (mounted_) umount2(dir_.path().c_str(), MNT_DETACH);
  }
  FullFileSystem(const FullFileSystem&) = delete;
  FullFileSystem& operator=(const FullFileSystem&) = delete;
  bool mounted() const { return mounted_; }
  std::string path() const { return dir_.path(); }

 private:
  testing::TempDir dir_;
  bool mounted_ = false;
};

// A file on a full file system takes no byte: the text waits in the buffer
// until the run ends, and the write then fails the run.
TEST(FrameEndToEndTest, AFileOnAFullFileSystemFailsWithTheReportOnStandardError) {
  const FullFileSystem full;
  if (!full.mounted()) {
    const char* ci = std::getenv("CI");
    if (ci == nullptr || std::string(ci) != "true") GTEST_SKIP() << "mounting a file system needs root";
    FAIL() << "cannot mount a file system of the test's own";
  }
  for (const Args& arguments : {Args{"HOST"}, Args{}, Args{"a", "b", "c"}}) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    testing::RunOptions options = testing::WithStandardOutput(StandardOutput::kFile);
    options.standard_output_file = full.path() + "/stdout";
    const RunResult result = RunWirenote(arguments, options);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, "");
    ExpectInOutReport(result.standard_error, 112);
  }
}

struct TerminalRun {
  std::string output;
  int exit_status = -1;
};

// Runs the program on a terminal of its own in `locale`. The terminal is
// raw, so that its bytes arrive as the program wrote them.
TerminalRun RunOnTerminal(const std::string& locale, const Args& arguments,
                          const std::string& working_directory = "") {
  std::vector<std::string> argv_strings{WIRENOTE_BINARY};
  argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : argv_strings) argv.push_back(argument.data());
  argv.push_back(nullptr);
  termios raw{};
  cfmakeraw(&raw);
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, &raw, nullptr);
  if (child < 0) return {};
  if (child == 0) {
    setenv("LC_ALL", locale.c_str(), 1);
    if (!working_directory.empty() && chdir(working_directory.c_str()) != 0) _exit(126);
    execv(WIRENOTE_BINARY, argv.data());
    _exit(127);
  }
  TerminalRun run;
  char buffer[256];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(master);
  if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  return run;
}

// On a terminal whose locale is UTF-8 the texts are shown converted; to a
// file or pipe they stay code page 932 (checked above).
TEST(FrameEndToEndTest, AUtf8TerminalShowsTheTextConverted) {
  for (const auto& [locale, expected] :
       {std::pair<std::string, std::string>{"C.UTF-8", "ﾊﾟﾗﾒｰﾀが足りません。"},
        std::pair<std::string, std::string>{"C", std::string(MsgTooFewParams)}}) {
    const TerminalRun run = RunOnTerminal(locale, {"HOST"});
    EXPECT_EQ(run.exit_status, 0) << locale;
    EXPECT_EQ(run.output, expected) << locale;
  }
}

// The report with the eight digits of its code offset as XXXXXXXX.
std::string MaskCodeOffset(std::string report) {
  const std::size_t line2 = report.find('\n');
  if (line2 != std::string::npos && report.size() >= line2 + 9) report.replace(line2 + 1, 8, "XXXXXXXX");
  return report;
}

// A file name in a report is in the user's code page, the rest code page
// 932: on a terminal each is shown from its own. The search matches the file
// beside the pattern, and the open, which takes the pattern literally, fails.
TEST(FrameEndToEndTest, AFileNameInAReportOnATerminalReadsAsGiven) {
  const struct {
    const char* locale;
    std::string file;
    std::string pattern;
    std::string expected;  // what the terminal receives
  } cases[] = {
      {"C.UTF-8", "日本語 ﾒｯｾｰｼﾞ1.txt", "日本語 ﾒｯｾｰｼﾞ*.txt",
       "EFOpenErrorがﾓｼﾞｭｰﾙ wirenote の\nXXXXXXXX で発生しました。\n"
       "ﾌｧｲﾙ 日本語 ﾒｯｾｰｼﾞ*.txt は開けません.\n\r\n"},
      // Shown through code page 932, which has no character for these two.
      {"C.UTF-8", "grüße1.txt", "grüße*.txt",
       "EFOpenErrorがﾓｼﾞｭｰﾙ wirenote の\nXXXXXXXX で発生しました。\n"
       "ﾌｧｲﾙ gr??e*.txt は開けません.\n\r\n"},
      // The user's code page is code page 932 itself: every byte as it is.
      {"C", testing::Cp932FromUtf8("日本語1.txt"), testing::Cp932FromUtf8("日本語*.txt"),
       testing::FailureReport("EFOpenError", "wirenote", "XXXXXXXX",
                              testing::OpenErrorMessage(testing::Cp932FromUtf8("日本語*.txt")) +
                                  ".")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + c.pattern);
    testing::TempDir dir;
    dir.WriteFile(c.file, "text");
    const TerminalRun run = RunOnTerminal(c.locale, {"HOST", c.pattern}, dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(MaskCodeOffset(run.output), c.expected);
  }
}

}  // namespace
}  // namespace wirenote
