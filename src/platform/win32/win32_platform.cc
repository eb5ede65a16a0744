#include "win32_platform.h"

namespace wirenote {

// The members share their names with the system calls, so every call below
// names the global one explicitly.

BOOL Win32Platform::GetVersionExA(OSVERSIONINFOA* info) { return ::GetVersionExA(info); }

HANDLE Win32Platform::GetStdHandle(DWORD std_handle) { return ::GetStdHandle(std_handle); }

DWORD Win32Platform::GetFileType(HANDLE file) { return ::GetFileType(file); }

BOOL Win32Platform::WriteFile(HANDLE file, const void* buffer, DWORD bytes_to_write,
                              DWORD* bytes_written) {
  // No OVERLAPPED record: the program writes and reads synchronously.
  return ::WriteFile(file, buffer, bytes_to_write, bytes_written, nullptr);
}

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

HANDLE Win32Platform::FindFirstFileA(const char* file_name, WIN32_FIND_DATAA* find_data) {
  return ::FindFirstFileA(file_name, find_data);
}

BOOL Win32Platform::FindClose(HANDLE find_file) { return ::FindClose(find_file); }

HANDLE Win32Platform::CreateFileA(const char* file_name, DWORD desired_access, DWORD share_mode,
                                  DWORD creation_disposition, DWORD flags_and_attributes) {
  return ::CreateFileA(file_name, desired_access, share_mode, nullptr, creation_disposition,
                       flags_and_attributes, nullptr);
}

BOOL Win32Platform::ReadFile(HANDLE file, void* buffer, DWORD bytes_to_read, DWORD* bytes_read) {
  return ::ReadFile(file, buffer, bytes_to_read, bytes_read, nullptr);
}

BOOL Win32Platform::CloseHandle(HANDLE object) { return ::CloseHandle(object); }

int Win32Platform::MultiByteToWideChar(UINT code_page, DWORD flags, const char* multi_byte,
                                       int multi_byte_bytes, WCHAR* wide, int wide_units) {
  return ::MultiByteToWideChar(code_page, flags, multi_byte, multi_byte_bytes, wide, wide_units);
}

int Win32Platform::WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide,
                                       int wide_units, char* multi_byte, int multi_byte_bytes,
                                       const char* default_char, BOOL* used_default_char) {
  return ::WideCharToMultiByte(code_page, flags, wide, wide_units, multi_byte, multi_byte_bytes,
                               default_char, used_default_char);
}

NET_API_STATUS Win32Platform::NetMessageBufferSend(const WCHAR* server_name,
                                                   const WCHAR* message_name,
                                                   const WCHAR* from_name, BYTE* buffer,
                                                   DWORD buffer_bytes) {
  return ::NetMessageBufferSend(server_name, message_name, from_name, buffer, buffer_bytes);
}

}  // namespace wirenote
