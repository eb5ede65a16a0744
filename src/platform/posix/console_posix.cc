#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "code_page_posix.h"
#include "posix_platform.h"
#include "win_error.h"

namespace wirenote {
namespace {

bool WriteAll(int fd, const char* bytes, std::size_t size, int* error_number) {
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error_number = errno;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool IsUtf8Codeset() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

HANDLE PosixPlatform::GetStdHandle(DWORD std_handle) {
  int fd;
  bool closed = false;
  if (std_handle == STD_INPUT_HANDLE) {
    fd = 0;
  } else if (std_handle == STD_OUTPUT_HANDLE) {
    fd = 1;
    closed = standard_output_closed_;
  } else if (std_handle == STD_ERROR_HANDLE) {
    fd = 2;
    closed = standard_error_closed_;
  } else {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (closed) {
    Fail(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  return HandleFromFd(fd);
}

DWORD PosixPlatform::GetFileType(HANDLE file) {
  const int fd = FdFromHandle(file);
  struct stat status;
  if (fstat(fd, &status) != 0) {
    FailWithErrno(errno);
    return FILE_TYPE_UNKNOWN;
  }
  // A standard output or error that was opened for reading only cannot be
  // written at all: as unusable as a missing one.
  if (fd == 1 || fd == 2) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || (flags & O_ACCMODE) == O_RDONLY) {
      Fail(ERROR_INVALID_HANDLE);
      return FILE_TYPE_UNKNOWN;
    }
  }
  last_error_ = ERROR_SUCCESS;
  if (S_ISCHR(status.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode) || S_ISDIR(status.st_mode)) {
    return FILE_TYPE_DISK;
  }
  if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_UNKNOWN;
}

BOOL PosixPlatform::WriteFile(HANDLE file, const void* buffer, DWORD bytes_to_write,
                              DWORD* bytes_written) {
  if (bytes_written != nullptr) *bytes_written = 0;
  const int fd = FdFromHandle(file);
  const char* bytes = static_cast<const char*>(buffer);
  int error_number = 0;

  // Only a terminal needs the locale, and only a terminal pays for it.
  const bool terminal = isatty(fd) != 0;
  if (terminal) UseLocale();
  if (!terminal || !IsUtf8Codeset()) {
    if (!WriteAll(fd, bytes, bytes_to_write, &error_number)) return FailWithErrno(error_number);
  } else {
    // The program's texts are code page 932; a UTF-8 terminal shows them only
    // when converted. A double-byte character cut between two writes waits
    // for its second byte.
    std::string pending;
    if (pending_lead_fd_ == fd) pending.push_back(static_cast<char>(pending_lead_));
    pending_lead_fd_ = -1;
    pending.append(bytes, bytes_to_write);
    if (EndsInLeadByte(pending)) {
      pending_lead_fd_ = fd;
      pending_lead_ = static_cast<unsigned char>(pending.back());
      pending.pop_back();
    }
    const std::string utf8 = Cp932ToUtf8(pending);
    if (!WriteAll(fd, utf8.data(), utf8.size(), &error_number)) return FailWithErrno(error_number);
  }
  if (bytes_written != nullptr) *bytes_written = bytes_to_write;
  last_error_ = ERROR_SUCCESS;
  return TRUE;
}

}  // namespace wirenote
