#include "wide_text.h"

#include <climits>

namespace wirenote {

std::vector<WCHAR> WideTextOf(Platform& platform, std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int bytes = static_cast<int>(text.size());
  const int units = platform.MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
  if (units <= 0) return {};
  std::vector<WCHAR> wide(static_cast<std::size_t>(units));
  if (platform.MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), units) != units) {
    return {};
  }
  return wide;
}

}  // namespace wirenote
