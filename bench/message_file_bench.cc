// Reading a 2 KB message file and an 8 GiB one whose first 2 KB are the same
// text, through ReadMessageFile and the system's platform. The text depends
// only on the first bytes, so the two should cost the same; the run ends
// with both times and their ratio.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/console.h"
#include "message/message_file.h"
#include "platform/platform.h"

namespace {

constexpr long long kHugeBytes = 8LL << 30;

std::string small_file;
std::string huge_file;

std::string SampleText() {
  std::string text;
  for (int line = 0; text.size() < 2048; ++line) {
    text += "line " + std::to_string(line) + " of the message, with some words to fill it\n";
  }
  text.resize(2048);
  return text;
}

void WriteFile(const std::string& path, const std::string& contents, long long size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || write(fd, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size()) ||
      ftruncate(fd, size) != 0 || close(fd) != 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

void ReadFileBenchmark(benchmark::State& state, const std::string* path) {
  wirenote::Platform& platform = wirenote::SystemPlatform();
  for (auto _ : state) {
    wirenote::Console console(platform);
    std::optional<std::string> text = wirenote::ReadMessageFile(platform, console, *path);
    if (!text || text->size() != wirenote::MaxMessageBytes) {
      state.SkipWithError("the file was not read as expected");
      break;
    }
    benchmark::DoNotOptimize(text);
  }
}

// The console report, plus the median time of each benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.aggregate_name == "median") medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
  const char* base = std::getenv("TMPDIR");
  std::string directory = std::string(base != nullptr && *base ? base : "/tmp") + "/wirenote-bench-XXXXXX";
  if (mkdtemp(directory.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  small_file = directory + "/small.txt";
  huge_file = directory + "/huge.txt";
  const std::string text = SampleText();
  WriteFile(small_file, text, static_cast<long long>(text.size()));
  WriteFile(huge_file, text, kHugeBytes);  // sparse beyond the text

  benchmark::RegisterBenchmark("ReadMessageFile/2KB", ReadFileBenchmark, &small_file)
      ->Repetitions(21)
      ->MinTime(0.2)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("ReadMessageFile/8GiB", ReadFileBenchmark, &huge_file)
      ->Repetitions(21)
      ->MinTime(0.2)
      ->ReportAggregatesOnly(true);

  // The repetitions of the two alternate, so that a change in the machine's
  // load during the run falls on both alike.
  std::vector<char*> arguments(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  arguments.insert(arguments.begin() + 1, interleave.data());
  int argument_count = static_cast<int>(arguments.size());
  benchmark::Initialize(&argument_count, arguments.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);

  const auto small = reporter.medians.find("ReadMessageFile/2KB");
  const auto huge = reporter.medians.find("ReadMessageFile/8GiB");
  if (small == reporter.medians.end() || huge == reporter.medians.end() || small->second <= 0) {
    std::fprintf(stderr, "no median time for both files\n");
    return 1;
  }
  std::printf("\nmedian time per read: 2 KB file %.0f ns, 8 GiB file %.0f ns, ratio 8 GiB / 2 KB %.3f (goal <= 1.1)\n",
              small->second, huge->second, huge->second / small->second);
  return 0;
}
