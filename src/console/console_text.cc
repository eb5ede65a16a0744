#include "console/console_text.h"

#include <climits>
#include <vector>

namespace wirenote {

std::string ConsoleFormOf(Platform& platform, std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return std::string(text);
  const int bytes = static_cast<int>(text.size());
  const int units = platform.MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
  if (units <= 0) return std::string(text);
  std::vector<WCHAR> wide(static_cast<std::size_t>(units));
  if (platform.MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), units) != units) {
    return std::string(text);
  }
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
