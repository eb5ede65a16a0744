// Text from the user that is to appear on a console among the program's own
// texts. The program's texts are code page 932, and a console shows them as
// such (a UTF-8 terminal on POSIX converts from it), so such text must be
// code page 932 too, whatever the user's code page is.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace wirenote {

inline constexpr UINT ConsoleCodePage = 932;

// `text`, in the user's code page, in code page 932; a character that code
// page 932 lacks becomes the system's default character. The bytes as they
// are when the text does not convert at all.
std::string ConsoleFormOf(Platform& platform, std::string_view text);

}  // namespace wirenote
