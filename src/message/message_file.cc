#include "message/message_file.h"

#include <array>
#include <cstring>

#include "console/catalogue.h"
#include "failure.h"

namespace wirenote {
namespace {

constexpr char kCR = '\x0d';
constexpr char kLF = '\x0a';

// Closes the message file on every way out of ReadMessageFile, a failure
// raised while it is open included.
class OpenFile {
 public:
  OpenFile(Platform& platform, HANDLE handle) : platform_(platform), handle_(handle) {}
  ~OpenFile() { platform_.CloseHandle(handle_); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  HANDLE handle() const { return handle_; }

 private:
  Platform& platform_;
  HANDLE handle_;
};

// The file's first bytes: as many as the text can use. Every byte before the
// first zero byte adds at least one byte to the text (a lone CR or LF even
// two), so bytes beyond the first MaxMessageBytes can never reach it, and
// nothing behind a zero byte is read at all. Returns false when a read fails.
bool ReadLeadingBytes(Platform& platform, HANDLE file, std::array<char, MaxMessageBytes>& buffer,
                      std::size_t& size) {
  size = 0;
  while (size < buffer.size()) {
    DWORD got = 0;
    if (!platform.ReadFile(file, buffer.data() + size, static_cast<DWORD>(buffer.size() - size),
                           &got)) {
      return false;
    }
    if (got == 0) break;  // end of the file
    const std::size_t start = size;
    size += got < buffer.size() - start ? got : buffer.size() - start;
    if (std::memchr(buffer.data() + start, '\0', size - start) != nullptr) break;
  }
  return true;
}

}  // namespace

// Lines end at CR LF, a lone CR or a lone LF; each is written back followed
// by CR LF. The first zero byte ends the text; the result is cut to
// MaxMessageBytes, wherever that falls.
std::string RebuildMessageText(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);

  std::string text;
  text.reserve(MaxMessageBytes + 2);
  std::size_t cursor = 0;
  while (cursor < bytes.size() && text.size() < MaxMessageBytes) {
    std::size_t end = bytes.find_first_of("\r\n", cursor);
    if (end == std::string_view::npos) end = bytes.size();
    text.append(bytes.substr(cursor, end - cursor));
    text.push_back(kCR);
    text.push_back(kLF);
    cursor = end;
    if (cursor < bytes.size() && bytes[cursor] == kCR) ++cursor;
    if (cursor < bytes.size() && bytes[cursor] == kLF) ++cursor;
  }
  if (text.size() > MaxMessageBytes) text.resize(MaxMessageBytes);
  return text;
}

bool MessageFileExists(Platform& platform, const std::string& file_name) {
  // The system would see only the bytes before a zero byte: another name.
  if (file_name.find('\0') != std::string::npos) return false;
  WIN32_FIND_DATAA entry;
  std::memset(&entry, 0, sizeof entry);
  const HANDLE search = platform.FindFirstFileA(file_name.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  platform.FindClose(search);
  // Only a directory is refused. The entry's time is not looked at: files dated
  // 1970 (unpacked from archives, built reproducibly) are as readable as any.
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> ReadMessageFile(Platform& platform, Console& console,
                                           std::string_view argument) {
  // The argument is the name, byte for byte. On Windows the command-line
  // convention leaves no double quote in an argument; on POSIX a quote is an
  // ordinary byte of a file name, and dropping it would name another file.
  const std::string file_name(argument);
  if (!MessageFileExists(platform, file_name)) {
    console.WriteStatus(MsgFileNotFound);
    return std::nullopt;
  }

  const HANDLE handle =
      platform.CreateFileA(file_name.c_str(), GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) throw EFOpenError(file_name);

  std::array<char, MaxMessageBytes> buffer;
  std::size_t size = 0;
  {
    const OpenFile file(platform, handle);
    // A file that cannot be read is, to the user, one that cannot be opened;
    // sending the part read before the fault would pass off a fragment as
    // the message.
    if (!ReadLeadingBytes(platform, file.handle(), buffer, size)) throw EFOpenError(file_name);
  }
  return RebuildMessageText(std::string_view(buffer.data(), size));
}

}  // namespace wirenote
