// The platform on the Windows NT family: every call goes straight to
// kernel32 or netapi32, with the system's own arguments, results and errors.
#pragma once

#include "win32_back.h"

#include "platform/platform.h"

namespace wirenote {

class Win32Platform : public Platform {
 public:
  BOOL GetVersionExA(OSVERSIONINFOA* info) override;

  HANDLE GetStdHandle(DWORD std_handle) override;
  DWORD GetFileType(HANDLE file) override;
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes_to_write,
                 DWORD* bytes_written) override;
  DWORD GetLastError() override;

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
};

}  // namespace wirenote
