// Delivery of the message text: both texts converted to UTF-16 in two fixed,
// zero-filled buffers, one call of the messenger service, and the text for
// the status code it returns.
#pragma once

#include <cstddef>
#include <string_view>

#include "console/catalogue.h"
#include "console/console.h"
#include "platform/platform.h"

namespace wirenote {

inline constexpr std::size_t MessageBufferBytes = 3200;
inline constexpr std::size_t NameBufferBytes = 60;

void DeliverMessage(Platform& platform, Console& console, std::string_view recipient_name,
                    std::string_view message_text);

// The catalogue text for a status code of the messenger service.
CatalogueText StatusTextFor(NET_API_STATUS status);

// Converts `text` (ANSI code page) into `buffer` of `buffer_bytes` bytes and
// stores a zero unit after it where there is room; returns the units written.
// A text whose units outnumber the buffer's gives the longest prefix of
// whole characters that fits.
int ConvertToUtf16(Platform& platform, std::string_view text, WCHAR* buffer,
                   std::size_t buffer_bytes);

}  // namespace wirenote
