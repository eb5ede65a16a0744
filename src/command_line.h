// How one command-line string becomes the program's arguments, the way the
// Windows runtime splits it: no escapes, quotes group and vanish.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wirenote {

// All arguments of `line`, the program's own name first. Arguments are not
// cut at any length.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace wirenote
