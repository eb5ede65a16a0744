// The message text of any file equals what the plain algorithm gives on the
// whole file (split every line, join each with CR LF, cut at 1600 bytes),
// and the file's first 1600 bytes alone give the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "message/message_file.h"

namespace {

std::string PlainMessageText(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size() && bytes[at] != '\0') {
    std::size_t end = at;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n' && bytes[end] != '\0') ++end;
    lines.emplace_back(bytes.substr(at, end - at));
    at = end;
    if (at < bytes.size() && bytes[at] == '\r') ++at;
    if (at < bytes.size() && bytes[at] == '\n') ++at;
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  if (text.size() > wirenote::MaxMessageBytes) text.resize(wirenote::MaxMessageBytes);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string expected = PlainMessageText(bytes);
  if (wirenote::RebuildMessageText(bytes) != expected) std::abort();
  if (wirenote::RebuildMessageText(bytes.substr(0, wirenote::MaxMessageBytes)) != expected) std::abort();
  if (expected.find('\0') != std::string::npos) std::abort();
  return 0;
}
