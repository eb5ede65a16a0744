// Code-page conversions on POSIX, all through iconv.
#pragma once

#include "posix_back.h"

#include <string>
#include <string_view>

#include "win_types.h"

namespace wirenote {

// The iconv name of a Windows code page: CP_ACP is the locale's character
// set, except that the C locale and Shift_JIS locales stand for CP932, the
// program's home code page; CP_OEMCP and 932 are CP932; 65001 is UTF-8.
// Empty for a code page with no iconv counterpart.
std::string CharsetForCodePage(UINT code_page);

// `bytes` in `charset` as UTF-16 code units. Every invalid or truncated
// sequence becomes one `replacement` unit; in CP932 a lead byte takes the
// byte after it along, as Windows does.
std::u16string DecodeToUtf16(const std::string& charset, std::string_view bytes,
                             char16_t replacement);

// `units` in `charset`; a character the charset cannot hold becomes
// `replacement`. Returns false when any character had to be replaced.
bool EncodeFromUtf16(const std::string& charset, std::u16string_view units, std::string* out,
                     std::string_view replacement = "?");

// Code page 932 text as UTF-8, "?" for what does not convert.
std::string Cp932ToUtf8(std::string_view bytes);

// Whether the last byte of code page 932 text is a lead byte still waiting
// for its trail byte.
bool EndsInLeadByte(std::string_view cp932);

}  // namespace wirenote
