#include "code_page_posix.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/cp932.h"
#include "posix_platform.h"

namespace wirenote {
namespace {

constexpr char kCp932[] = "CP932";
constexpr char16_t kCp932Replacement = u'\u30FB';
constexpr char16_t kUnicodeReplacement = u'\uFFFD';
constexpr UINT kCodePage932 = 932;
constexpr UINT kCodePageUtf8 = 65001;

std::string Upper(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can; returns 0 or the errno that stopped it.
  int Convert(const char** in, std::size_t* in_left, std::string* out) {
    while (*in_left > 0) {
      char chunk[256];
      char* out_at = chunk;
      std::size_t out_left = sizeof chunk;
      char* in_at = const_cast<char*>(*in);
      const std::size_t result = iconv(cd_, &in_at, in_left, &out_at, &out_left);
      const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
      *in = in_at;
      out->append(chunk, static_cast<std::size_t>(out_at - chunk));
      if (error == E2BIG) continue;
      if (error != 0) return error;
    }
    return 0;
  }

  // Writes out what a stateful conversion still holds back and returns it to
  // its initial state: TSCII keeps a vowel sign written before its consonant
  // until it has the consonant, and gives it up only here if none comes.
  void Flush(std::string* out) {
    char chunk[256];
    char* out_at = chunk;
    std::size_t out_left = sizeof chunk;
    if (iconv(cd_, nullptr, nullptr, &out_at, &out_left) == static_cast<std::size_t>(-1)) Reset();
    out->append(chunk, static_cast<std::size_t>(out_at - chunk));
  }

  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

void AppendUnit(std::string* utf16le, char16_t unit) {
  utf16le->push_back(static_cast<char>(unit & 0xFF));
  utf16le->push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::string CharsetForCodePage(UINT code_page) {
  if (code_page == CP_OEMCP || code_page == kCodePage932) return kCp932;
  if (code_page == kCodePageUtf8) return "UTF-8";
  if (code_page != CP_ACP) return {};
  const char* codeset = nl_langinfo(CODESET);
  const std::string name = Upper(codeset == nullptr ? "" : codeset);
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII" ||
      name == "SHIFT_JIS" || name == "SJIS" || name == "SHIFT-JIS" || name == "CP932" ||
      name == "WINDOWS-31J" || name == "MS932") {
    return kCp932;
  }
  if (name == "UTF8") return "UTF-8";
  return name;
}

std::u16string DecodeToUtf16(const std::string& charset, std::string_view bytes,
                             char16_t replacement) {
  std::u16string units;
  if (bytes.empty()) return units;
  Iconv iconv("UTF-16LE", charset.c_str());
  if (!iconv.ok()) return units;
  const bool cp932 = charset == kCp932;

  std::string utf16le;
  const char* in = bytes.data();
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    const int error = iconv.Convert(&in, &in_left, &utf16le);
    // What the bytes before a fault, or before the end, still owe.
    iconv.Flush(&utf16le);
    if (error == 0) break;
    // EILSEQ, or EINVAL for a sequence cut off at the end.
    AppendUnit(&utf16le, replacement);
    std::size_t skip = 1;
    if (cp932 && IsCp932LeadByte(static_cast<unsigned char>(*in)) && in_left >= 2) skip = 2;
    in += skip;
    in_left -= skip;
    iconv.Reset();
  }
  units.reserve(utf16le.size() / 2);
  for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16le[i]) |
                                          static_cast<unsigned char>(utf16le[i + 1]) << 8));
  }
  return units;
}

bool EncodeFromUtf16(const std::string& charset, std::u16string_view units, std::string* out,
                     std::string_view replacement) {
  out->clear();
  std::string utf16le;
  utf16le.reserve(units.size() * 2);
  for (char16_t unit : units) AppendUnit(&utf16le, unit);

  Iconv iconv(charset.c_str(), "UTF-16LE");
  if (!iconv.ok()) return false;
  bool lossless = true;
  const char* in = utf16le.data();
  std::size_t in_left = utf16le.size();
  while (in_left > 0) {
    const int error = iconv.Convert(&in, &in_left, out);
    iconv.Flush(out);
    if (error == 0) break;
    lossless = false;
    out->append(replacement);
    // Skip one character: a surrogate pair is two units.
    std::size_t skip = 2;
    const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                static_cast<unsigned char>(in[1]) << 8);
    if (unit >= 0xD800 && unit <= 0xDBFF && in_left >= 4) {
      const char16_t next = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                                  static_cast<unsigned char>(in[3]) << 8);
      if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
    }
    skip = std::min(skip, in_left);
    in += skip;
    in_left -= skip;
    iconv.Reset();
  }
  return lossless;
}

std::string Cp932ToUtf8(std::string_view bytes) {
  std::string utf8;
  Iconv iconv("UTF-8", kCp932);
  if (!iconv.ok()) return std::string(bytes);
  const char* in = bytes.data();
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    if (iconv.Convert(&in, &in_left, &utf8) == 0) break;
    utf8.push_back('?');
    ++in;
    --in_left;
    iconv.Reset();
  }
  return utf8;
}

bool EndsInLeadByte(std::string_view cp932) {
  std::size_t at = 0;
  while (at < cp932.size()) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(cp932[at]))) {
      ++at;
    } else if (at + 1 == cp932.size()) {
      return true;
    } else {
      at += 2;
    }
  }
  return false;
}

int PosixPlatform::MultiByteToWideChar(UINT code_page, DWORD flags, const char* multi_byte,
                                       int multi_byte_bytes, WCHAR* wide, int wide_units) {
  if (multi_byte == nullptr || multi_byte_bytes == 0 || wide_units < 0 ||
      (wide_units > 0 && wide == nullptr) || flags != 0) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UseLocale();
  const std::string charset = CharsetForCodePage(code_page);
  if (charset.empty()) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t length = multi_byte_bytes < 0 ? std::strlen(multi_byte) + 1
                                                  : static_cast<std::size_t>(multi_byte_bytes);
  const std::u16string units =
      DecodeToUtf16(charset, std::string_view(multi_byte, length),
                    charset == kCp932 ? kCp932Replacement : kUnicodeReplacement);
  if (wide_units == 0) return static_cast<int>(units.size());
  if (units.size() > static_cast<std::size_t>(wide_units)) {
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(units.begin(), units.end(), wide);
  return static_cast<int>(units.size());
}

int PosixPlatform::WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* wide,
                                       int wide_units, char* multi_byte, int multi_byte_bytes,
                                       const char* default_char, BOOL* used_default_char) {
  if (wide == nullptr || wide_units == 0 || multi_byte_bytes < 0 ||
      (multi_byte_bytes > 0 && multi_byte == nullptr) || flags != 0) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UseLocale();
  const std::string charset = CharsetForCodePage(code_page);
  // As on Windows, UTF-8 has every character and takes no default one.
  const bool utf8 = charset == "UTF-8";
  if (charset.empty() || (utf8 && (default_char != nullptr || used_default_char != nullptr))) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t length = wide_units < 0 ? std::char_traits<char16_t>::length(wide) + 1
                                            : static_cast<std::size_t>(wide_units);
  const std::string_view replacement =
      default_char == nullptr ? std::string_view("?") : std::string_view(default_char, 1);
  std::string bytes;
  const bool lossless =
      EncodeFromUtf16(charset, std::u16string_view(wide, length), &bytes, replacement);
  if (used_default_char != nullptr) *used_default_char = lossless ? FALSE : TRUE;
  if (multi_byte_bytes == 0) return static_cast<int>(bytes.size());
  if (bytes.size() > static_cast<std::size_t>(multi_byte_bytes)) {
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(bytes.begin(), bytes.end(), multi_byte);
  return static_cast<int>(bytes.size());
}

}  // namespace wirenote
