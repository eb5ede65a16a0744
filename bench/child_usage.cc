// Runs a command and reports what it cost, for peer_compare: one line
//   WALL_NS USER_US SYS_US MAX_RSS_KIB STATUS
// on file descriptor 3, which the command does not inherit. Standard input,
// output and error are left to the command. STATUS is the exit status, or
// 128 + the signal that ended it.
//
//   child_usage COMMAND [ARGUMENT...]
//
// A measuring program of its own, kept to the C library, because the peak
// resident memory the kernel reports for a child is never below what the
// process it was forked from held at the fork: this one holds little, and
// forks (not vforks) so that what it holds is its own, not a caller's.
// The wall time runs from just before the fork to the reaping of the
// child, so this program's own start is not in it.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kReportFd = 3;

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

long long Microseconds(const timeval& t) { return t.tv_sec * 1'000'000LL + t.tv_usec; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || fcntl(kReportFd, F_SETFD, FD_CLOEXEC) != 0) {
    std::fprintf(stderr, "usage: child_usage COMMAND [ARGUMENT...]  (report on fd 3)\n");
    return 2;
  }
  const long long start = MonotonicNs();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) {
    std::perror("wait4");
    return 2;
  }
  const long long wall = MonotonicNs() - start;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  dprintf(kReportFd, "%lld %lld %lld %ld %d\n", wall, Microseconds(usage.ru_utime),
          Microseconds(usage.ru_stime), usage.ru_maxrss, code);
  return 0;
}
