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

void PosixPlatform::UseLocale() {
  if (!locale_pending_) return;
  locale_pending_ = false;
  std::setlocale(LC_CTYPE, "");
}

static PosixPlatform& StartSystemPlatform() {
  // A reader that went away is an error code for WriteFile, never a signal.
  std::signal(SIGPIPE, SIG_IGN);

  const bool closed[3] = {IsClosed(0), IsClosed(1), IsClosed(2)};
  for (int fd = 0; fd < 3; ++fd) {
    if (closed[fd]) HoldClosedDescriptor(fd);
  }
  static PosixPlatform platform(closed[1], closed[2]);
  platform.AdoptUserLocaleOnFirstUse();
  return platform;
}

Platform& SystemPlatform() {
  static PosixPlatform& platform = StartSystemPlatform();
  return platform;
}

}  // namespace wirenote
