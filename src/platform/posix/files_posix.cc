// The file system under its Windows calls: a directory search that takes
// `*` and `?` in the last path component, and an open for reading whose
// "no sharing" is an exclusive lock.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wildcard_match.h"
#include "posix_platform.h"
#include "win_error.h"

namespace wirenote {
namespace {

// How long a read waits for a writer to come to a FIFO that has none. A FIFO
// is normally fed by a process started together with the reader, which opens
// it within moments; one that no process opens would otherwise keep the
// program waiting for ever.
constexpr int kFifoWriterWaitMilliseconds = 5000;

// FILETIME counts 100-nanosecond steps from 1601-01-01 UTC.
constexpr std::int64_t kFileTimeUnitsPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

FILETIME FileTimeFrom(const timespec& time) {
  std::int64_t units = 0;
  if (time.tv_sec >= -kSecondsFrom1601To1970) {
    units = (time.tv_sec + kSecondsFrom1601To1970) * kFileTimeUnitsPerSecond + time.tv_nsec / 100;
  }
  const auto value = static_cast<std::uint64_t>(units);
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// The directory entry's status: what it names, or the link itself when a
// symbolic link points nowhere (the entry is there all the same).
bool EntryStatus(const std::string& path, struct stat* status) {
  return stat(path.c_str(), status) == 0 || lstat(path.c_str(), status) == 0;
}

void FillFindData(const struct stat& status, std::string_view name, WIN32_FIND_DATAA* data) {
  std::memset(data, 0, sizeof *data);
  DWORD attributes = 0;
  if (S_ISDIR(status.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name.front() == '.' && name != "." && name != "..") {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  data->dwFileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  data->ftLastWriteTime = FileTimeFrom(status.st_mtim);
  data->ftLastAccessTime = FileTimeFrom(status.st_atim);
  data->ftCreationTime = FileTimeFrom(status.st_ctim);
  const auto size = static_cast<std::uint64_t>(status.st_size < 0 ? 0 : status.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  const std::size_t copied = std::min(name.size(), static_cast<std::size_t>(MAX_PATH - 1));
  std::memcpy(data->cFileName, name.data(), copied);
}

// The entries of `directory` that `pattern` matches, in name order, so that
// the first match does not depend on the order the file system keeps.
// "." and ".." are entries like any other.
bool MatchingEntries(const std::string& directory, std::string_view pattern,
                     std::vector<std::string>* matches, int* error_number) {
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) {
    *error_number = errno;
    return false;
  }
  errno = 0;
  while (const dirent* entry = readdir(listing)) {
    if (MatchesWildcard(pattern, entry->d_name)) matches->emplace_back(entry->d_name);
    errno = 0;
  }
  const int read_error = errno;
  closedir(listing);
  if (read_error != 0) {
    *error_number = read_error;
    return false;
  }
  std::sort(matches->begin(), matches->end());
  return true;
}

// Search handles carry nothing: the one entry the program asks for is handed
// out at once. They are numbers of a range of their own, remembered so that
// FindClose can tell its own; a closed one's number may be handed out again,
// as Windows does with its handles.
constexpr std::intptr_t kFirstSearchHandle = 0x5EA0'0000;

HANDLE NewSearchHandle(std::set<std::intptr_t>& open_searches) {
  const std::intptr_t value =
      open_searches.empty() ? kFirstSearchHandle : *open_searches.rbegin() + 1;
  open_searches.insert(value);
  return reinterpret_cast<HANDLE>(value);
}

// A FIFO with a name, which a writer may still open. A pipe (standard input
// reopened as /dev/stdin, a process substitution) had its writer from the
// start: when none is left, it has finished, and that is the end of the file.
bool IsNamedFifo(int fd, const struct stat& status) {
  if (!S_ISFIFO(status.st_mode)) return false;
#ifdef __linux__
  struct statfs file_system;
  if (fstatfs(fd, &file_system) == 0 && file_system.f_type == PIPEFS_MAGIC) return false;
#endif
  return true;
}

bool IsNamedFifo(int fd) {
  struct stat status;
  return fstat(fd, &status) == 0 && IsNamedFifo(fd, status);
}

}  // namespace

HANDLE PosixPlatform::FindFirstFileA(const char* file_name, WIN32_FIND_DATAA* find_data) {
  if (file_name == nullptr || find_data == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string name = file_name;
  if (name.empty()) {
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const std::size_t slash = name.rfind('/');
  const std::string_view last =
      std::string_view(name).substr(slash == std::string::npos ? 0 : slash + 1);

  struct stat status;
  if (!HasWildcard(last)) {
    if (!EntryStatus(name, &status)) {
      FailWithErrno(errno);
      return INVALID_HANDLE_VALUE;
    }
    FillFindData(status, last, find_data);
  } else {
    const std::string directory =
        slash == std::string::npos ? std::string(".") : name.substr(0, slash == 0 ? 1 : slash);
    std::vector<std::string> matches;
    int error_number = 0;
    if (!MatchingEntries(directory, last, &matches, &error_number)) {
      FailWithErrno(error_number);
      return INVALID_HANDLE_VALUE;
    }
    const std::string prefix = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    bool found = false;
    for (const std::string& match : matches) {
      // An entry removed since the listing is passed over.
      if (EntryStatus(prefix + match, &status)) {
        FillFindData(status, match, find_data);
        found = true;
        break;
      }
    }
    if (!found) {
      Fail(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
  }
  last_error_ = ERROR_SUCCESS;
  return NewSearchHandle(open_searches_);
}

BOOL PosixPlatform::FindClose(HANDLE find_file) {
  if (open_searches_.erase(reinterpret_cast<std::intptr_t>(find_file)) == 0) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  last_error_ = ERROR_SUCCESS;
  return TRUE;
}

HANDLE PosixPlatform::CreateFileA(const char* file_name, DWORD desired_access, DWORD share_mode,
                                  DWORD creation_disposition, DWORD) {
  if (file_name == nullptr || desired_access != GENERIC_READ ||
      creation_disposition != OPEN_EXISTING) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // Non-blocking, so that opening a FIFO does not wait for a writer (ReadFile
  // waits, for a bounded time) and opening a device does not wait for it to
  // become ready.
  int fd;
  do {
    fd = open(file_name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    FailWithErrno(errno);
    return INVALID_HANDLE_VALUE;
  }
  const auto give_up = [&](DWORD error) {
    close(fd);
    Fail(error);
    return INVALID_HANDLE_VALUE;
  };

  struct stat status;
  if (fstat(fd, &status) != 0) return give_up(WindowsErrorFromErrno(errno));
  // A directory is no file to read.
  if (S_ISDIR(status.st_mode)) return give_up(ERROR_ACCESS_DENIED);
  // Only a named FIFO keeps O_NONBLOCK: ReadFile takes it as the sign that no
  // writer has been seen yet.
  if (!IsNamedFifo(fd, status)) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
      return give_up(WindowsErrorFromErrno(errno));
    }
  }

  // Share mode 0 means that no one else may have the file open while this
  // handle does. POSIX cannot see another process's plain open(), so the
  // nearest it offers is an exclusive flock: any process that holds a lock
  // on the file (another run of this program, an editor that locks) makes
  // the open fail, and while the handle is open no one else can lock it.
  // A file system that cannot lock at all (some network mounts refuse an
  // exclusive lock on a file open for reading) has no holder to respect, so
  // the file is read unlocked there. Other share modes ask for no lock.
  if (share_mode == 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return give_up(ERROR_SHARING_VIOLATION);
    if (errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL && errno != EBADF) {
      return give_up(WindowsErrorFromErrno(errno));
    }
  }
  last_error_ = ERROR_SUCCESS;
  return HandleFromFd(fd);
}

BOOL PosixPlatform::ReadFile(HANDLE file, void* buffer, DWORD bytes_to_read, DWORD* bytes_read) {
  if (bytes_read != nullptr) *bytes_read = 0;
  if (file == INVALID_HANDLE_VALUE || (buffer == nullptr && bytes_to_read > 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const int fd = FdFromHandle(file);

  const int flags = fcntl(fd, F_GETFL);
  if (flags == -1) return FailWithErrno(errno);
  if ((flags & O_NONBLOCK) != 0 && IsNamedFifo(fd)) {
    // A FIFO opened by CreateFileA that has not yet been seen with a writer.
    // Wait a bounded time for data or for a writer to come and go. Then a
    // non-blocking read tells the cases apart: data, end of file (a writer
    // came and left: POLLHUP), no writer at all (nothing came: the open
    // fails late, as no file is there to read), or a writer that is still
    // silent (EAGAIN: from now on the FIFO is read like any pipe, blocking).
    pollfd waiting{fd, POLLIN, 0};
    int ready;
    do {
      ready = poll(&waiting, 1, kFifoWriterWaitMilliseconds);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return FailWithErrno(errno);
    ssize_t n;
    do {
      n = read(fd, buffer, bytes_to_read);
    } while (n < 0 && errno == EINTR);
    if (n > 0 || (n == 0 && ready > 0)) {
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
      if (bytes_read != nullptr) *bytes_read = static_cast<DWORD>(n);
      last_error_ = ERROR_SUCCESS;
      return TRUE;
    }
    if (n == 0) return Fail(ERROR_NO_DATA);
    if (errno != EAGAIN) return FailWithErrno(errno);
    if (fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) return FailWithErrno(errno);
  }

  ssize_t n;
  do {
    n = read(fd, buffer, bytes_to_read);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return FailWithErrno(errno);
  if (bytes_read != nullptr) *bytes_read = static_cast<DWORD>(n);
  last_error_ = ERROR_SUCCESS;
  return TRUE;
}

BOOL PosixPlatform::CloseHandle(HANDLE object) {
  if (object == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  // Closing the descriptor also drops the lock taken by CreateFileA.
  if (close(FdFromHandle(object)) != 0 && errno != EINTR) return FailWithErrno(errno);
  last_error_ = ERROR_SUCCESS;
  return TRUE;
}

}  // namespace wirenote
