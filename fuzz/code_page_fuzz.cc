// Any bytes convert to UTF-16 within the room asked for, never more units
// than bytes; and what encodes to code page 932 without loss decodes back to
// the same units.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "code_page_posix.h"
#include "posix_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool c_locale = std::setlocale(LC_CTYPE, "C") != nullptr;
  (void)c_locale;
  static wirenote::PosixPlatform platform;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (size == 0 || size > 4096) return 0;

  const int needed = platform.MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(size),
                                                  nullptr, 0);
  if (needed <= 0 || static_cast<std::size_t>(needed) > size) std::abort();
  std::vector<WCHAR> exact(static_cast<std::size_t>(needed));
  if (platform.MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(size), exact.data(),
                                   needed) != needed) {
    std::abort();
  }
  if (needed > 1) {
    std::vector<WCHAR> short_of_room(static_cast<std::size_t>(needed - 1));
    if (platform.MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(size),
                                     short_of_room.data(), needed - 1) != 0) {
      std::abort();
    }
  }

  const std::u16string units(exact.begin(), exact.end());
  std::string cp932;
  if (wirenote::EncodeFromUtf16("CP932", units, &cp932)) {
    if (wirenote::DecodeToUtf16("CP932", cp932, u'\u30FB') != units) std::abort();
  }
  const std::u16string from_utf8 = wirenote::DecodeToUtf16("UTF-8", bytes, u'\uFFFD');
  if (from_utf8.size() > size) std::abort();
  return 0;
}
