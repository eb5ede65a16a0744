#include "posix_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>

#include "win_error.h"

namespace wirenote {
namespace {

bool IsClosed(int fd) { return fcntl(fd, F_GETFD) == -1 && errno == EBADF; }

// Puts a placeholder on a closed standard descriptor, so that the next file
// or socket the program opens cannot land there and be taken for it.
void HoldClosedDescriptor(int fd) {
  const int placeholder = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (placeholder >= 0 && placeholder != fd) {
    dup2(placeholder, fd);
    close(placeholder);
  }
}

}  // namespace

PosixPlatform::PosixPlatform() {
  // The program's code page is the locale's character set (CP_ACP).
  std::setlocale(LC_CTYPE, "");
  // A reader that went away is an error code for WriteFile, never a signal.
  std::signal(SIGPIPE, SIG_IGN);

  const bool closed[3] = {IsClosed(0), IsClosed(1), IsClosed(2)};
  standard_output_closed_ = closed[1];
  standard_error_closed_ = closed[2];
  for (int fd = 0; fd < 3; ++fd) {
    if (closed[fd]) HoldClosedDescriptor(fd);
  }
}

BOOL PosixPlatform::FailWithErrno(int error_number) {
  return Fail(WindowsErrorFromErrno(error_number));
}

BOOL PosixPlatform::GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  // A POSIX system offers what the program needs of the NT family.
  info->dwMajorVersion = 10;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 0;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace wirenote
