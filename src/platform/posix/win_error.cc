#include "win_error.h"

#include <cerrno>

namespace wirenote {

DWORD WindowsErrorFromErrno(int error_number) {
  switch (error_number) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EBUSY:
    case ETXTBSY: return ERROR_BUSY;
    case EILSEQ: return ERROR_NO_UNICODE_TRANSLATION;
    case EIO: return ERROR_IO_DEVICE;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    default: return ERROR_GEN_FAILURE;
  }
}

}  // namespace wirenote
