// A stand-in for the system's netapi32.dll, loaded in its place when the
// program runs under test. It keeps a record of every NetMessageBufferSend
// call and answers with the status code the test chose. Only this double
// reads the environment; the program itself never does.
//
//   WIRENOTE_TEST_NETAPI_RECORD  file the calls are appended to
//   WIRENOTE_TEST_NETAPI_STATUS  status code to return, in decimal
//
// One record per call, one "key value" pair a line, bytes in lower-case hex:
//   call
//   server_name null | <UTF-16LE units up to the zero unit>
//   message_name ...   (the same)
//   from_name ...      (the same)
//   buffer_bytes <decimal>
//   buffer null | <exactly buffer_bytes bytes>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

// Names longer than this are cut; no caller passes one anywhere near it.
constexpr std::size_t kMaxNameUnits = 4096;
// Beyond this the length is taken for garbage and the buffer is not read.
constexpr DWORD kMaxBufferBytes = 1 << 20;

void AppendHex(std::string* out, const BYTE* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < size; ++i) {
    out->push_back(kDigits[bytes[i] >> 4]);
    out->push_back(kDigits[bytes[i] & 0x0F]);
  }
}

void AppendName(std::string* out, const char* key, const WCHAR* name) {
  out->append(key).push_back(' ');
  if (name == nullptr) {
    out->append("null");
  } else {
    std::size_t units = 0;
    while (units < kMaxNameUnits && name[units] != 0) ++units;
    AppendHex(out, reinterpret_cast<const BYTE*>(name), units * sizeof(WCHAR));
  }
  out->push_back('\n');
}

std::string Environment(const char* name) {
  char value[1024];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) return {};
  return std::string(value, length);
}

void Record(const std::string& text) {
  const std::string path = Environment("WIRENOTE_TEST_NETAPI_RECORD");
  if (path.empty()) return;
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" DWORD WINAPI NetMessageBufferSend(LPCWSTR server_name, LPCWSTR message_name,
                                             LPCWSTR from_name, LPBYTE buffer,
                                             DWORD buffer_bytes) {
  std::string record = "call\n";
  AppendName(&record, "server_name", server_name);
  AppendName(&record, "message_name", message_name);
  AppendName(&record, "from_name", from_name);
  record.append("buffer_bytes ").append(std::to_string(buffer_bytes)).push_back('\n');
  record.append("buffer ");
  if (buffer == nullptr || buffer_bytes > kMaxBufferBytes) {
    record.append("null");
  } else {
    AppendHex(&record, buffer, buffer_bytes);
  }
  record.push_back('\n');
  Record(record);

  // Without a status to give, the call fails with a code the program has no
  // text of its own for, so that a test that forgot to set one cannot pass
  // by chance.
  const std::string status = Environment("WIRENOTE_TEST_NETAPI_STATUS");
  if (status.empty()) return ERROR_INVALID_FUNCTION;
  char* end = nullptr;
  const unsigned long value = std::strtoul(status.c_str(), &end, 10);
  if (end == nullptr || *end != '\0') return ERROR_INVALID_FUNCTION;
  return static_cast<DWORD>(value);
}
