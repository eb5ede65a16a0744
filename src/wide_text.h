// A text in the user's code page as UTF-16, through the platform's own
// conversion, for the steps that must look at its characters: what part of
// a message fits a buffer, how a file name reads on a console.
#pragma once

#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wirenote {

// The UTF-16 form of `text` (CP_ACP, no flags); empty when it has none.
std::vector<WCHAR> WideTextOf(Platform& platform, std::string_view text);

}  // namespace wirenote
