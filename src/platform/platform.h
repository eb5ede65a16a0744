// The operating-system calls the program is built on, under their Windows
// names and with their Windows meaning. The program talks to the system only
// through a Platform, so tests can hand it a fake one; each OS supplies the
// real one (SystemPlatform) from its own back under src/platform/<os>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win_types.h"

namespace wirenote {

class Platform {
 public:
  virtual ~Platform() = default;

  // Version query.
  virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;

  // Console.
  virtual HANDLE GetStdHandle(DWORD std_handle) = 0;
  virtual DWORD GetFileType(HANDLE file) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytes_to_write,
                         DWORD* bytes_written) = 0;
  virtual DWORD GetLastError() = 0;

  // File system.
  virtual HANDLE FindFirstFileA(const char* file_name, WIN32_FIND_DATAA* find_data) = 0;
  virtual BOOL FindClose(HANDLE find_file) = 0;
  virtual HANDLE CreateFileA(const char* file_name, DWORD desired_access, DWORD share_mode,
                             DWORD creation_disposition, DWORD flags_and_attributes) = 0;
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD bytes_to_read, DWORD* bytes_read) = 0;
  virtual BOOL CloseHandle(HANDLE object) = 0;

  // Code pages.
  virtual int MultiByteToWideChar(UINT code_page, DWORD flags, const char* multi_byte,
                                  int multi_byte_bytes, WCHAR* wide, int wide_units) = 0;
  virtual int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide, int wide_units,
                                  char* multi_byte, int multi_byte_bytes, const char* default_char,
                                  BOOL* used_default_char) = 0;

  // Messenger service.
  virtual NET_API_STATUS NetMessageBufferSend(const WCHAR* server_name, const WCHAR* message_name,
                                              const WCHAR* from_name, BYTE* buffer,
                                              DWORD buffer_bytes) = 0;
};

// The running system's platform; lives for the whole process.
Platform& SystemPlatform();

// The arguments after the program's own name, as this system hands them over.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The running program's file name without its directory.
std::string ProgramFileName();

// Where `address` lies in the program's own image, counted from its start.
std::uint32_t ImageOffset(const void* address);

}  // namespace wirenote
