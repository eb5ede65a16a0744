// The part of a text that fits a UTF-16 buffer too small for all of it. In
// most code pages a byte gives at most one unit, so the message buffer holds
// any message text; in some (TSCII, where one byte is a whole syllable) a
// byte gives several, and the text's UTF-16 form can outgrow the buffer.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace wirenote {

// Converts the longest prefix of `text` (user's code page) whose UTF-16 form
// fits `capacity` units and is the beginning of the whole text's form, so
// that no character is cut or changed by the cut, into `buffer`. Returns the
// units written; 0 when not even the first character fits.
int ConvertFittingPrefix(Platform& platform, std::string_view text, WCHAR* buffer, int capacity);

}  // namespace wirenote
