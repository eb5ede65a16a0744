// The message file: its existence tested, its lines rebuilt with CR LF and
// the text cut to MaxMessageBytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "platform/platform.h"

namespace wirenote {

inline constexpr std::size_t MaxMessageBytes = 1600;

// The message text of the file named by `argument`, or no text after
// MsgFileNotFound has been written. Raises EFOpenError when the file exists
// but cannot be opened.
std::optional<std::string> ReadMessageFile(Platform& platform, Console& console,
                                           std::string_view argument);

// The message text of a file that begins with `bytes`: lines ended by CR LF,
// a lone CR or a lone LF, each written back followed by CR LF, up to the
// first zero byte, cut to MaxMessageBytes. The file's first MaxMessageBytes
// bytes decide the whole text.
std::string RebuildMessageText(std::string_view bytes);

// Whether `file_name` names an existing file (not a directory).
bool MessageFileExists(Platform& platform, const std::string& file_name);

}  // namespace wirenote
