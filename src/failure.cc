#include "failure.h"

namespace wirenote {
namespace {

// "ﾌｧｲﾙ " and " は開けません" in code page 932.
constexpr std::string_view kOpenErrorBefore = "\xcc\xa7\xb2\xd9\x20";
constexpr std::string_view kOpenErrorAfter = "\x20\x82\xcd\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1";
// "ﾒﾓﾘが足りません"
constexpr std::string_view kOutOfMemory = "\xd2\xd3\xd8\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

std::string OpenErrorMessage(std::string_view file_name) {
  std::string message;
  message.reserve(kOpenErrorBefore.size() + file_name.size() + kOpenErrorAfter.size());
  message.append(kOpenErrorBefore).append(file_name).append(kOpenErrorAfter);
  return message;
}

}  // namespace

const void* CallerAddress() { return __builtin_return_address(0); }

EFOpenError::EFOpenError(std::string_view file_name, const void* address)
    : Failure("EFOpenError", OpenErrorMessage(file_name), address), file_name_(file_name) {}

std::string EFOpenError::MessageNaming(std::string_view shown_name) const {
  return OpenErrorMessage(shown_name);
}

EOutOfMemory::EOutOfMemory(const void* address)
    : Failure("EOutOfMemory", std::string(kOutOfMemory), address) {}

EInOutError::EInOutError(DWORD code, const void* address)
    : Failure("EInOutError", "I/O error " + std::to_string(code), address), code_(code) {}

}  // namespace wirenote
