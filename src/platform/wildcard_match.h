// The wildcards a directory search takes in the last component of a name.
// One rule for every back that has to supply them itself and for the tests'
// fake platform, so that a pattern finds the same entry everywhere.
#pragma once

#include <string_view>

namespace wirenote {

// Whether `component` holds a wildcard at all; a name without one is looked
// up as it is.
constexpr bool HasWildcard(std::string_view component) {
  return component.find_first_of("*?") != std::string_view::npos;
}

// `*` matches any run of bytes, `?` any one byte; every other byte only
// itself. Nothing else is special: `[` and `\` are ordinary bytes in a name,
// and a leading dot is matched like any other byte.
constexpr bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;  // the last `*` seen
  std::size_t star_name = 0;                  // where the name stood then
  while (n < name.size()) {
    // `*` first: a name may hold a `*` of its own, which must not be taken
    // as matched by the pattern's `*` byte for byte.
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      // Let the last `*` take one byte more and try the rest again.
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace wirenote
