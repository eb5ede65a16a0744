// Placeholder until the file-system back lands: every name is missing.
#include "posix_platform.h"

namespace wirenote {

HANDLE PosixPlatform::FindFirstFileA(const char*, WIN32_FIND_DATAA*) {
  Fail(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}
BOOL PosixPlatform::FindClose(HANDLE) { return TRUE; }
HANDLE PosixPlatform::CreateFileA(const char*, DWORD, DWORD, DWORD, DWORD) {
  Fail(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}
BOOL PosixPlatform::ReadFile(HANDLE, void*, DWORD, DWORD*) { return Fail(ERROR_INVALID_HANDLE); }
BOOL PosixPlatform::CloseHandle(HANDLE) { return Fail(ERROR_INVALID_HANDLE); }

}  // namespace wirenote
