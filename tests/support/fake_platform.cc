#include "fake_platform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/cp932.h"
#include "platform/wildcard_match.h"

namespace wirenote {
namespace {

const HANDLE kStandardOutput = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(11));
const HANDLE kStandardError = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(12));
const HANDLE kSearch = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(50));
constexpr UINT kCodePage932 = 932;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// One character of UTF-8 from the start of `bytes` (not empty) appended to
// `units`; returns the bytes it took. Characters beyond the first 65536 and
// every malformed byte give U+FFFD, one byte at a time.
std::size_t DecodeUtf8(std::string_view bytes, std::u16string& units) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char first = at(0);
  if (first < 0x80) {
    units.push_back(first);
    return 1;
  }
  if (first >= 0xC2 && first <= 0xDF && bytes.size() >= 2 && IsContinuation(at(1))) {
    units.push_back(static_cast<char16_t>((first & 0x1F) << 6 | (at(1) & 0x3F)));
    return 2;
  }
  if (first >= 0xE0 && first <= 0xEF && bytes.size() >= 3 && IsContinuation(at(1)) &&
      IsContinuation(at(2))) {
    const char16_t unit =
        static_cast<char16_t>((first & 0x0F) << 12 | (at(1) & 0x3F) << 6 | (at(2) & 0x3F));
    if (unit >= 0x800) {
      units.push_back(unit);
      return 3;
    }
  }
  units.push_back(u'\uFFFD');
  return 1;
}

}  // namespace

std::string FakePlatform::StandardOutput() const {
  std::string all;
  for (const std::string& write : standard_output_writes) all += write;
  return all;
}

BOOL FakePlatform::GetVersionExA(OSVERSIONINFOA* info) {
  calls.push_back("GetVersionExA");
  version_record_size_seen = info->dwOSVersionInfoSize;
  if (version_query_fails) return FALSE;
  info->dwPlatformId = platform_id;
  return TRUE;
}

HANDLE FakePlatform::GetStdHandle(DWORD std_handle) {
  calls.push_back("GetStdHandle");
  if (std_handle == STD_ERROR_HANDLE) return kStandardError;
  if (std_handle != STD_OUTPUT_HANDLE || !has_standard_output) {
    last_error_ = ERROR_INVALID_HANDLE;
    return INVALID_HANDLE_VALUE;
  }
  return kStandardOutput;
}

DWORD FakePlatform::GetFileType(HANDLE file) {
  calls.push_back("GetFileType");
  if (file == kStandardOutput) return standard_output_type;
  if (file == kStandardError) return standard_error_type;
  return FILE_TYPE_UNKNOWN;
}

BOOL FakePlatform::WriteFile(HANDLE file, const void* buffer, DWORD bytes_to_write,
                             DWORD* bytes_written) {
  calls.push_back("WriteFile");
  const std::string bytes(static_cast<const char*>(buffer), bytes_to_write);
  if (file == kStandardError) {
    standard_error += bytes;
    *bytes_written = bytes_to_write;
    return TRUE;
  }
  if (file != kStandardOutput) {
    last_error_ = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  const std::size_t number = writes_to_standard_output_++;
  if (fail_write_number && *fail_write_number == number) {
    last_error_ = write_error;
    return FALSE;
  }
  standard_output_writes.push_back(bytes);
  *bytes_written = bytes_to_write;
  return TRUE;
}

// The search follows the POSIX back: wildcards only in the last component,
// matched by the same rule; "." and ".." are entries of every directory; a
// name without a wildcard is looked up as it is. The shared search table
// holds the two to the same answers.
HANDLE FakePlatform::FindFirstFileA(const char* file_name, WIN32_FIND_DATAA* find_data) {
  calls.push_back("FindFirstFileA");
  const std::string_view name = file_name;
  const std::size_t slash = name.rfind('/');
  const std::string_view directory =
      slash == std::string_view::npos ? std::string_view() : name.substr(0, slash);
  const std::string_view last = name.substr(slash == std::string_view::npos ? 0 : slash + 1);

  std::optional<Entry> found;
  if (name.empty()) {
    // No entry has an empty name.
  } else if (!HasWildcard(last)) {
    found = EntryNamed(name, directory, last);
  } else if (IsDirectory(directory)) {
    found = FirstMatch(directory, last);
  }
  if (!found) {
    last_error_ = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  std::memset(find_data, 0, sizeof *find_data);
  find_data->dwFileAttributes = found->attributes;
  std::strncpy(find_data->cFileName, found->name.c_str(), MAX_PATH - 1);
  ++open_searches;
  return kSearch;
}

bool FakePlatform::IsDirectory(std::string_view path) const {
  // The current directory, one the map holds as such, or one that holds an
  // entry of the map.
  if (path.empty()) return true;
  const auto entry = files.find(std::string(path));
  if (entry != files.end()) return (entry->second.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const std::string inside = std::string(path) + "/";
  const auto next = files.lower_bound(inside);
  return next != files.end() && next->first.starts_with(inside);
}

std::optional<FakePlatform::Entry> FakePlatform::EntryNamed(std::string_view name,
                                                              std::string_view directory,
                                                              std::string_view last) const {
  // "dir/", "dir/." and "dir/.." name directories whether the map holds
  // them or not, as long as "dir" is one.
  if (last.empty() || last == "." || last == "..") {
    if (!IsDirectory(directory)) return std::nullopt;
    return Entry{std::string(last), FILE_ATTRIBUTE_DIRECTORY};
  }
  const auto entry = files.find(std::string(name));
  if (entry == files.end()) {
    if (IsDirectory(name)) return Entry{std::string(last), FILE_ATTRIBUTE_DIRECTORY};
    return std::nullopt;
  }
  return Entry{std::string(last), entry->second.attributes};
}

std::optional<FakePlatform::Entry> FakePlatform::FirstMatch(std::string_view directory,
                                                              std::string_view pattern) const {
  std::vector<Entry> entries{{".", FILE_ATTRIBUTE_DIRECTORY}, {"..", FILE_ATTRIBUTE_DIRECTORY}};
  const std::string prefix = directory.empty() ? std::string() : std::string(directory) + "/";
  for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix);
       ++it) {
    const std::string_view rest = std::string_view(it->first).substr(prefix.size());
    if (rest.empty()) continue;
    const std::size_t inner = rest.find('/');
    if (inner == std::string_view::npos) {
      entries.push_back({std::string(rest), it->second.attributes});
    } else {
      // A name deeper down: its first component is a directory here.
      entries.push_back({std::string(rest.substr(0, inner)), FILE_ATTRIBUTE_DIRECTORY});
    }
  }
  // Name order, byte by byte, so the first match is the one the POSIX back
  // finds; an entry given both on its own and through a name inside it keeps
  // its own attributes.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.name < b.name; });
  for (const Entry& entry : entries) {
    if (MatchesWildcard(pattern, entry.name)) return entry;
  }
  return std::nullopt;
}

BOOL FakePlatform::FindClose(HANDLE find_file) {
  calls.push_back("FindClose");
  if (find_file != kSearch || open_searches == 0) return FALSE;
  --open_searches;
  return TRUE;
}

HANDLE FakePlatform::CreateFileA(const char* file_name, DWORD desired_access, DWORD share_mode,
                                 DWORD creation_disposition, DWORD) {
  calls.push_back("CreateFileA");
  last_desired_access = desired_access;
  last_share_mode = share_mode;
  last_creation_disposition = creation_disposition;
  const auto found = files.find(file_name);
  if (found == files.end()) {
    last_error_ = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  if (found->second.open_error) {
    last_error_ = *found->second.open_error;
    return INVALID_HANDLE_VALUE;
  }
  if (found->second.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    last_error_ = ERROR_ACCESS_DENIED;
    return INVALID_HANDLE_VALUE;
  }
  const std::intptr_t handle = next_handle_++;
  handles_[handle] = OpenFile{found->second, 0};
  ++open_files;
  return reinterpret_cast<HANDLE>(handle);
}

BOOL FakePlatform::ReadFile(HANDLE file, void* buffer, DWORD bytes_to_read, DWORD* bytes_read) {
  calls.push_back("ReadFile");
  const auto found = handles_.find(reinterpret_cast<std::intptr_t>(file));
  if (found == handles_.end()) {
    last_error_ = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  if (bytes_to_read > largest_read_request) largest_read_request = bytes_to_read;
  OpenFile& open = found->second;
  const std::size_t left = open.file.contents.size() - open.position;
  if (left == 0 && open.file.read_error) {
    last_error_ = *open.file.read_error;
    *bytes_read = 0;
    return FALSE;
  }
  std::size_t n = left < bytes_to_read ? left : bytes_to_read;
  if (open.file.read_chunk != 0 && n > open.file.read_chunk) n = open.file.read_chunk;
  std::memcpy(buffer, open.file.contents.data() + open.position, n);
  open.position += n;
  this->bytes_read += n;
  *bytes_read = static_cast<DWORD>(n);
  return TRUE;
}

BOOL FakePlatform::CloseHandle(HANDLE object) {
  calls.push_back("CloseHandle");
  if (handles_.erase(reinterpret_cast<std::intptr_t>(object)) == 0) {
    last_error_ = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  --open_files;
  return TRUE;
}

int FakePlatform::MultiByteToWideChar(UINT code_page, DWORD flags, const char* multi_byte,
                                      int multi_byte_bytes, WCHAR* wide, int wide_units) {
  calls.push_back("MultiByteToWideChar");
  ++conversions;
  if ((code_page != CP_ACP && code_page != kCodePage932) || flags != 0 || multi_byte_bytes <= 0) {
    last_error_ = ERROR_INVALID_PARAMETER;
    return 0;
  }
  const std::string_view bytes(multi_byte, static_cast<std::size_t>(multi_byte_bytes));
  const bool user = code_page == CP_ACP;
  std::u16string units;
  for (std::size_t i = 0; i < bytes.size();) {
    if (user && user_code_page_utf8) {
      i += DecodeUtf8(bytes.substr(i), units);
      continue;
    }
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const auto several = user ? several_unit_bytes.find(bytes[i]) : several_unit_bytes.end();
    if (several != several_unit_bytes.end()) {
      units += several->second;
      ++i;
    } else if (IsCp932LeadByte(byte) && i + 1 < bytes.size()) {
      units.push_back(static_cast<char16_t>(byte << 8 | static_cast<unsigned char>(bytes[i + 1])));
      i += 2;
    } else {
      units.push_back(byte);
      ++i;
    }
  }
  if (wide_units == 0) return static_cast<int>(units.size());
  if (units.size() > static_cast<std::size_t>(wide_units)) {
    last_error_ = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::memcpy(wide, units.data(), units.size() * sizeof(WCHAR));
  return static_cast<int>(units.size());
}

int FakePlatform::WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide,
                                      int wide_units, char* multi_byte, int multi_byte_bytes,
                                      const char* default_char, BOOL* used_default_char) {
  calls.push_back("WideCharToMultiByte");
  ++conversions;
  if ((code_page != CP_ACP && code_page != kCodePage932) ||
      (code_page == CP_ACP && (user_code_page_utf8 || !several_unit_bytes.empty())) ||
      flags != 0 || wide_units <= 0 || multi_byte_bytes < 0) {
    last_error_ = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::string bytes;
  bool used_default = false;
  for (int i = 0; i < wide_units; ++i) {
    const auto unit = static_cast<std::uint16_t>(wide[i]);
    const auto high = static_cast<unsigned char>(unit >> 8);
    const auto low = static_cast<unsigned char>(unit & 0xFF);
    if (high == 0) {
      bytes.push_back(static_cast<char>(low));
    } else if (IsCp932LeadByte(high) && low >= 0x40) {
      bytes.push_back(static_cast<char>(high));
      bytes.push_back(static_cast<char>(low));
    } else {
      bytes.push_back(default_char != nullptr ? *default_char : '?');
      used_default = true;
    }
  }
  if (used_default_char != nullptr) *used_default_char = used_default ? TRUE : FALSE;
  if (multi_byte_bytes == 0) return static_cast<int>(bytes.size());
  if (bytes.size() > static_cast<std::size_t>(multi_byte_bytes)) {
    last_error_ = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::memcpy(multi_byte, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

NET_API_STATUS FakePlatform::NetMessageBufferSend(const WCHAR* server_name,
                                                  const WCHAR* message_name,
                                                  const WCHAR* from_name, BYTE* buffer,
                                                  DWORD buffer_bytes) {
  calls.push_back("NetMessageBufferSend");
  FakeSend send{server_name, {}, from_name, {}, buffer_bytes};
  // WCHAR is wchar_t on Windows: the units are copied one by one.
  if (message_name != nullptr) {
    send.message_name.assign(message_name,
                             message_name + std::char_traits<WCHAR>::length(message_name));
  }
  send.buffer.assign(reinterpret_cast<const char*>(buffer), buffer_bytes);
  sends.push_back(std::move(send));
  return send_status;
}

}  // namespace wirenote
