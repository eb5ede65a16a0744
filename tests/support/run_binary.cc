#include "run_binary.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace wirenote::testing {
namespace {

[[noreturn]] void Die(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/wirenote-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Die("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::WriteFile(const std::string& name, const std::string& contents) const {
  const std::string path = path_ + "/" + name;
  std::ofstream out(path, std::ios::binary);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

RunResult RunWirenote(const std::vector<std::string>& arguments, const RunOptions& options) {
  const std::string binary = options.binary.empty() ? WIRENOTE_BINARY : options.binary;
  TempDir scratch;
  const std::string output_file =
      options.standard_output_file.empty() ? scratch.path() + "/stdout" : options.standard_output_file;

  int out_pipe[2] = {-1, -1};
  int err_pipe[2];
  int in_pipe[2];
  if (pipe2(err_pipe, O_CLOEXEC) != 0 || pipe2(in_pipe, O_CLOEXEC) != 0) Die("pipe");
  if (options.standard_output == StandardOutput::kPipe ||
      options.standard_output == StandardOutput::kBrokenPipe) {
    if (pipe2(out_pipe, O_CLOEXEC) != 0) Die("pipe");
  }
  if (options.standard_output == StandardOutput::kBrokenPipe) {
    close(out_pipe[0]);
    out_pipe[0] = -1;
  }

  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) env_strings.emplace_back(*e);
  for (const std::string& extra : options.environment) env_strings.push_back(extra);
  std::vector<char*> envp;
  for (std::string& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_strings{binary};
  argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : argv_strings) argv.push_back(a.data());
  argv.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) Die("fork");
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    signal(SIGPIPE, SIG_DFL);
    dup2(in_pipe[0], 0);
    dup2(err_pipe[1], 2);
    switch (options.standard_output) {
      case StandardOutput::kPipe:
      case StandardOutput::kBrokenPipe:
        dup2(out_pipe[1], 1);
        break;
      case StandardOutput::kFile: {
        const int fd = open(output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) _exit(125);
        dup2(fd, 1);
        close(fd);
        break;
      }
      case StandardOutput::kDevFull: {
        const int fd = open("/dev/full", O_WRONLY);
        if (fd < 0) _exit(125);
        dup2(fd, 1);
        close(fd);
        break;
      }
      case StandardOutput::kClosed:
        close(1);
        break;
    }
    if (!options.working_directory.empty() && chdir(options.working_directory.c_str()) != 0) {
      _exit(126);
    }
    execve(binary.c_str(), argv.data(), envp.data());
    _exit(127);
  }

  close(in_pipe[0]);
  close(err_pipe[1]);
  if (out_pipe[1] >= 0) close(out_pipe[1]);
  // The input goes in one write; tests feed small inputs.
  if (!options.standard_input.empty()) {
    [[maybe_unused]] ssize_t ignored =
        write(in_pipe[1], options.standard_input.data(), options.standard_input.size());
  }
  close(in_pipe[1]);

  RunResult result;
  const auto deadline = start + std::chrono::seconds(options.timeout_seconds);
  std::vector<pollfd> fds;
  if (out_pipe[0] >= 0) fds.push_back({out_pipe[0], POLLIN, 0});
  fds.push_back({err_pipe[0], POLLIN, 0});
  while (!fds.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timed_out = true;
      kill(child, SIGKILL);
      break;
    }
    const int ready = poll(fds.data(), fds.size(), static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) Die("poll");
    for (std::size_t i = 0; i < fds.size();) {
      if (fds[i].revents == 0) {
        ++i;
        continue;
      }
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (fds[i].fd == out_pipe[0] ? result.standard_output : result.standard_error)
            .append(buffer, static_cast<std::size_t>(n));
        ++i;
      } else if (n < 0 && errno == EINTR) {
        ++i;
      } else {
        close(fds[i].fd);
        fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }
  for (const pollfd& fd : fds) close(fd.fd);

  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (options.standard_output == StandardOutput::kFile) {
    result.standard_output = ReadWholeFile(output_file);
  }
  return result;
}

}  // namespace wirenote::testing
