// The platform on Linux and other POSIX systems: each Windows call is given
// the meaning the program relies on, errors as Windows error numbers.
#pragma once

#include "posix_back.h"

#include <cstdint>
#include <set>

#include "platform/platform.h"

namespace wirenote {

class PosixPlatform : public Platform {
 public:
  // `standard_output_closed`: descriptor 1 was closed when the process
  // started (it holds a placeholder now; see SystemPlatform).
  explicit PosixPlatform(bool standard_output_closed = false, bool standard_error_closed = false)
      : standard_output_closed_(standard_output_closed),
        standard_error_closed_(standard_error_closed) {}

  // The process's own platform takes the user's locale (CP_ACP and the
  // terminal's character set) from the environment, the first time it
  // needs it: most runs never do, and loading it costs more than the run.
  void AdoptUserLocaleOnFirstUse() { locale_pending_ = true; }

  BOOL GetVersionExA(OSVERSIONINFOA* info) override;

  HANDLE GetStdHandle(DWORD std_handle) override;
  DWORD GetFileType(HANDLE file) override;
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes_to_write,
                 DWORD* bytes_written) override;
  DWORD GetLastError() override { return last_error_; }

  HANDLE FindFirstFileA(const char* file_name, WIN32_FIND_DATAA* find_data) override;
  BOOL FindClose(HANDLE find_file) override;
  HANDLE CreateFileA(const char* file_name, DWORD desired_access, DWORD share_mode,
                     DWORD creation_disposition, DWORD flags_and_attributes) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD bytes_to_read, DWORD* bytes_read) override;
  BOOL CloseHandle(HANDLE object) override;

  int MultiByteToWideChar(UINT code_page, DWORD flags, const char* multi_byte,
                          int multi_byte_bytes, WCHAR* wide, int wide_units) override;
  int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide, int wide_units,
                          char* multi_byte, int multi_byte_bytes, const char* default_char,
                          BOOL* used_default_char) override;

  NET_API_STATUS NetMessageBufferSend(const WCHAR* server_name, const WCHAR* message_name,
                                      const WCHAR* from_name, BYTE* buffer,
                                      DWORD buffer_bytes) override;

 private:
  BOOL Fail(DWORD error) {
    last_error_ = error;
    return FALSE;
  }
  BOOL FailWithErrno(int error_number);
  void UseLocale();

  DWORD last_error_ = ERROR_SUCCESS;
  bool locale_pending_ = false;
  // Standard output was closed when the process started; its descriptor now
  // holds a placeholder so that no file or socket can take its place.
  bool standard_output_closed_ = false;
  bool standard_error_closed_ = false;
  // A lead byte written to a UTF-8 terminal whose trail byte is still to come.
  int pending_lead_fd_ = -1;
  unsigned char pending_lead_ = 0;
  // The searches FindFirstFileA handed out and FindClose has not yet closed.
  std::set<std::intptr_t> open_searches_;
};

// Descriptors travel inside HANDLE values.
inline HANDLE HandleFromFd(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }
inline int FdFromHandle(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

}  // namespace wirenote
