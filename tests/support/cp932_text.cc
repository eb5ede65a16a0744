// The conversion through glibc's iconv. A build without iconv (Windows) puts
// WideCharToMultiByte/MultiByteToWideChar with code page 932 in a file of its
// own beside this one; nothing else changes.
#include "cp932_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace wirenote::testing {
namespace {

std::string Convert(const char* to, const char* from, std::string_view text) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("iconv_open ") + from + " to " + to + ": " +
                             std::strerror(errno));
  }
  // Neither way takes more than three bytes for one byte.
  std::string out(text.size() * 3, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* at = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(cd, &in, &in_left, &at, &out_left);
  const int error_number = errno;
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) {
    throw std::runtime_error(std::string("iconv ") + from + " to " + to + " at byte " +
                             std::to_string(text.size() - in_left) + ": " +
                             std::strerror(error_number));
  }
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace

std::string Cp932FromUtf8(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

std::string Utf8FromCp932(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932); }

}  // namespace wirenote::testing
