#include "delivery/fitting_prefix.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "wide_text.h"

namespace wirenote {
namespace {

// How many units of `prefix` agree with the start of `whole`.
std::size_t AgreeingUnits(const std::vector<WCHAR>& prefix, const std::vector<WCHAR>& whole) {
  const auto [prefix_end, whole_end] =
      std::mismatch(prefix.begin(), prefix.end(), whole.begin(), whole.end());
  return static_cast<std::size_t>(prefix_end - prefix.begin());
}

}  // namespace

int ConvertFittingPrefix(Platform& platform, std::string_view text, WCHAR* buffer, int capacity) {
  if (capacity <= 0) return 0;
  const auto room = static_cast<std::size_t>(capacity);
  const std::vector<WCHAR> whole = WideTextOf(platform, text);
  if (whole.size() <= room) {
    std::copy(whole.begin(), whole.end(), buffer);
    return static_cast<int>(whole.size());
  }

  // A byte prefix cut inside a character ends in units of its own (a
  // replacement, a vowel sign without its consonant): only the units before
  // the cut agree with the whole text's. Those agreeing units grow with the
  // prefix, so the longest prefix whose agreeing units fit is found by
  // halving; the cut wanted is there or within the character before it.
  std::size_t fits = 0;                // a prefix whose agreeing units fit
  std::size_t too_long = text.size();  // one whose agreeing units do not
  while (too_long - fits > 1) {
    const std::size_t middle = fits + (too_long - fits) / 2;
    const std::vector<WCHAR> units = WideTextOf(platform, text.substr(0, middle));
    (AgreeingUnits(units, whole) <= room ? fits : too_long) = middle;
  }
  // Back to the last cut between characters: where the prefix's form is the
  // start of the whole form, unit for unit.
  for (std::size_t bytes = fits; bytes > 0; --bytes) {
    const std::vector<WCHAR> units = WideTextOf(platform, text.substr(0, bytes));
    if (!units.empty() && units.size() <= room && AgreeingUnits(units, whole) == units.size()) {
      std::copy(units.begin(), units.end(), buffer);
      return static_cast<int>(units.size());
    }
  }
  return 0;
}

}  // namespace wirenote
