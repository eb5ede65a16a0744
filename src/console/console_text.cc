#include "console/console_text.h"

#include <vector>

#include "wide_text.h"

namespace wirenote {

std::string ConsoleFormOf(Platform& platform, std::string_view text) {
  const std::vector<WCHAR> wide = WideTextOf(platform, text);
  if (wide.empty()) return std::string(text);
  const int units = static_cast<int>(wide.size());
  const int size = platform.WideCharToMultiByte(ConsoleCodePage, 0, wide.data(), units, nullptr, 0,
                                                nullptr, nullptr);
  if (size <= 0) return std::string(text);
  std::string shown(static_cast<std::size_t>(size), '\0');
  if (platform.WideCharToMultiByte(ConsoleCodePage, 0, wide.data(), units, shown.data(), size,
                                   nullptr, nullptr) != size) {
    return std::string(text);
  }
  return shown;
}

}  // namespace wirenote
