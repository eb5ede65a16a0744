// Standard output as the program sees it: opened at the first write, one
// 128-byte buffer, flushed at once only to a character device, and the rest
// written when it is closed at the end of the run.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "console/catalogue.h"
#include "platform/platform.h"

namespace wirenote {

inline constexpr std::size_t OutputBufferBytes = 128;

class Console {
 public:
  explicit Console(Platform& platform) : platform_(platform) {}
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes one catalogue text unchanged; raises EInOutError when standard
  // output cannot be opened or written.
  void WriteStatus(CatalogueText text);

  // Writes the failure report through the same buffer. Returns false when
  // standard output could not take it, now or when it is closed.
  bool WriteReport(std::string_view report);

  // Writes out what the buffer still holds. Returns false when that failed;
  // the run itself does not report it.
  bool Close();

 private:
  enum class State { kUnopened, kOpen, kUnavailable, kClosed };

  // Appends to the buffer, writing each full buffer; 0 or the error code.
  DWORD Append(std::string_view bytes);
  DWORD Flush();
  DWORD Open();

  Platform& platform_;
  State state_ = State::kUnopened;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DWORD file_type_ = FILE_TYPE_UNKNOWN;
  std::array<char, OutputBufferBytes> buffer_{};
  std::size_t used_ = 0;
};

}  // namespace wirenote
