// The conversion through the system's own code page 932 tables
// (MultiByteToWideChar and WideCharToMultiByte), for a build without iconv:
// Windows. cp932_text.cc does the same through iconv; CMake picks one.
#include "cp932_text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <stdexcept>
#include <string>

namespace wirenote::testing {
namespace {

constexpr UINT kCodePage932 = 932;

// `text` in `code_page` as UTF-16; a byte sequence that is no character
// there is an error, not a replacement character.
std::wstring Widen(UINT code_page, std::string_view text) {
  if (text.empty()) return {};
  const int bytes = static_cast<int>(text.size());
  const int units =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), bytes, nullptr, 0);
  std::wstring wide(units > 0 ? units : 0, L'\0');
  if (units <= 0 || MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), bytes,
                                        wide.data(), units) != units) {
    throw std::runtime_error("MultiByteToWideChar from code page " + std::to_string(code_page) +
                             ": error " + std::to_string(GetLastError()));
  }
  return wide;
}

// `wide` in `code_page`; a character the code page has no bytes for is an
// error, not a default character.
std::string Narrow(UINT code_page, const std::wstring& wide) {
  if (wide.empty()) return {};
  const int units = static_cast<int>(wide.size());
  // UTF-8 takes no default character; code page 932 is told to use none
  // silently and to map no character to a look-alike.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* const used_default_out = utf8 ? nullptr : &used_default;
  const int bytes = WideCharToMultiByte(code_page, flags, wide.data(), units, nullptr, 0, nullptr,
                                        used_default_out);
  std::string out(bytes > 0 ? bytes : 0, '\0');
  if (bytes <= 0 ||
      WideCharToMultiByte(code_page, flags, wide.data(), units, out.data(), bytes, nullptr,
                          used_default_out) != bytes ||
      used_default) {
    throw std::runtime_error("WideCharToMultiByte to code page " + std::to_string(code_page) +
                             (used_default ? ": a character it has no bytes for"
                                           : ": error " + std::to_string(GetLastError())));
  }
  return out;
}

}  // namespace

std::string Cp932FromUtf8(std::string_view utf8) {
  return Narrow(kCodePage932, Widen(CP_UTF8, utf8));
}

std::string Utf8FromCp932(std::string_view cp932) {
  return Narrow(CP_UTF8, Widen(kCodePage932, cp932));
}

}  // namespace wirenote::testing
