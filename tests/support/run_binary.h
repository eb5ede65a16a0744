// Runs the built program as a user would, and captures what it wrote.
#pragma once

#include <string>
#include <vector>

namespace wirenote::testing {

enum class StandardOutput {
  kPipe,        // a pipe read to its end
  kFile,        // a regular file, read back afterwards
  kDevFull,     // /dev/full: every write fails with ENOSPC
  kClosed,      // no descriptor 1 at all
  kBrokenPipe,  // a pipe whose reader has gone
};

struct RunOptions {
  StandardOutput standard_output = StandardOutput::kPipe;
  std::string standard_output_file;     // kFile: this file, not a fresh one
  std::string working_directory;        // empty: the test's own
  std::vector<std::string> environment; // NAME=value entries added to the test's own
  std::string standard_input;           // fed through a pipe
  int timeout_seconds = 30;
  std::string binary;                   // empty: the built wirenote
};

struct RunResult {
  std::string standard_output;
  std::string standard_error;
  int exit_status = -1;   // -1 when killed by a signal
  int signal = 0;
  bool timed_out = false;
  double seconds = 0;
};

inline RunOptions WithStandardOutput(StandardOutput where) {
  RunOptions options;
  options.standard_output = where;
  return options;
}

RunResult RunWirenote(const std::vector<std::string>& arguments, const RunOptions& options = {});

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Writes `contents` to `name` inside the directory and returns its path.
  std::string WriteFile(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

}  // namespace wirenote::testing
