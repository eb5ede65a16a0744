// The failures a run can raise. Each travels to the top of the run, where the
// failure report names its class, the place it arose and its message.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace wirenote {

// The address in the caller's code from which this function was called.
// Used as a default argument, it names the place where a failure is raised.
[[gnu::noinline]] const void* CallerAddress();

class Failure {
 public:
  Failure(std::string_view class_name, std::string message, const void* address)
      : class_name_(class_name), message_(std::move(message)), address_(address) {}
  virtual ~Failure() = default;

  std::string_view class_name() const { return class_name_; }
  // Code page 932 bytes, except a file name within it (file_name()).
  const std::string& message() const { return message_; }
  const void* address() const { return address_; }

  // The file name the message holds, in the user's code page as given;
  // empty when it holds none.
  virtual std::string_view file_name() const { return {}; }
  // The message with `shown_name` in the file name's place.
  virtual std::string MessageNaming(std::string_view /*shown_name*/) const { return message_; }

 private:
  std::string_view class_name_;
  std::string message_;
  const void* address_;
};

// The message file exists but cannot be opened.
class EFOpenError : public Failure {
 public:
  explicit EFOpenError(std::string_view file_name, const void* address = CallerAddress());
  std::string_view file_name() const override { return file_name_; }
  std::string MessageNaming(std::string_view shown_name) const override;

 private:
  std::string file_name_;
};

// Memory is exhausted.
class EOutOfMemory : public Failure {
 public:
  explicit EOutOfMemory(const void* address = CallerAddress());
};

// Standard output cannot be opened or written; `code` is the I/O error code.
class EInOutError : public Failure {
 public:
  explicit EInOutError(DWORD code, const void* address = CallerAddress());
  DWORD code() const { return code_; }

 private:
  DWORD code_;
};

// Code 103: standard output could not be opened.
inline constexpr DWORD kFileNotOpen = 103;

}  // namespace wirenote
