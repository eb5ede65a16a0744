// A platform held in memory: a console that records every write, a file
// system of named byte strings, a code-page conversion with a simple rule and
// a messenger service that records what it is handed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wirenote {

struct FakeFile {
  std::string contents;
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  // The error CreateFileA fails with, e.g. ERROR_SHARING_VIOLATION when
  // another process holds the file.
  std::optional<DWORD> open_error;
  // At most this many bytes per ReadFile (0: as many as asked for), as a
  // pipe hands over what it holds.
  std::size_t read_chunk = 0;
  // ReadFile fails with this error once the file's bytes are used up.
  std::optional<DWORD> read_error;
};

struct FakeSend {
  const WCHAR* server_name;
  std::u16string message_name;  // up to its zero unit
  const WCHAR* from_name;
  std::string buffer;  // exactly buffer_bytes bytes
  DWORD buffer_bytes;
};

class FakePlatform : public Platform {
 public:
  // Version query.
  DWORD platform_id = VER_PLATFORM_WIN32_NT;
  bool version_query_fails = false;
  DWORD version_record_size_seen = 0;

  // Console: standard output of this type, or none at all.
  bool has_standard_output = true;
  DWORD standard_output_type = FILE_TYPE_PIPE;
  // Fail the Nth WriteFile to standard output (0 = the first) with this error.
  std::optional<std::size_t> fail_write_number;
  DWORD write_error = ERROR_BROKEN_PIPE;
  std::vector<std::string> standard_output_writes;  // one entry per WriteFile
  std::string standard_error;
  DWORD standard_error_type = FILE_TYPE_PIPE;
  std::string StandardOutput() const;

  // File system: names as given, directories by FILE_ATTRIBUTE_DIRECTORY;
  // "dir/name" is an entry of the directory "dir", which exists once any
  // entry is inside it. FindFirstFileA searches it the way the POSIX back
  // searches a real directory.
  std::map<std::string, FakeFile> files;
  std::size_t largest_read_request = 0;
  std::size_t bytes_read = 0;
  int open_files = 0;
  int open_searches = 0;

  // Code-page conversion: a code page 932 lead byte (81-9F, E0-FC) and the
  // byte after it give one unit (lead << 8 | trail); any other byte gives the
  // unit of its own value. That is code page 932 here, and the user's code
  // page (CP_ACP) unless one of the two below changes it. WideCharToMultiByte
  // takes the same rule back; a unit it has no bytes for becomes the default
  // character.
  int conversions = 0;
  // The user's code page is UTF-8 (one, two or three bytes a character; an
  // invalid byte gives U+FFFD), as in a UTF-8 locale.
  bool user_code_page_utf8 = false;
  // Bytes of the user's code page that each give several units, as in a code
  // page like TSCII where one byte is a whole syllable.
  std::map<char, std::u16string> several_unit_bytes;

  // Messenger service.
  NET_API_STATUS send_status = NERR_Success;
  std::vector<FakeSend> sends;

  // Every call in order, by name.
  std::vector<std::string> calls;

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

  // What CreateFileA was last asked for.
  DWORD last_share_mode = 0xFFFFFFFF;
  DWORD last_desired_access = 0;
  DWORD last_creation_disposition = 0;

 private:
  struct Entry {
    std::string name;
    DWORD attributes;
  };
  bool IsDirectory(std::string_view path) const;
  std::optional<Entry> EntryNamed(std::string_view name, std::string_view directory,
                                  std::string_view last) const;
  std::optional<Entry> FirstMatch(std::string_view directory, std::string_view pattern) const;

  struct OpenFile {
    FakeFile file;
    std::size_t position = 0;
  };
  DWORD last_error_ = ERROR_SUCCESS;
  std::size_t writes_to_standard_output_ = 0;
  std::map<std::intptr_t, OpenFile> handles_;
  std::intptr_t next_handle_ = 100;
};

}  // namespace wirenote
