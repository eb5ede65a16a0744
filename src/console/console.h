// Standard output as the program sees it: opened at the first write, one
// 128-byte buffer, flushed at once only to a character device, and the rest
// written when it is closed at the end of the run. A write that fails then is
// as much a failure as one during the run.
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

  // The end of a run that wrote its text: writes out what the buffer still
  // holds and closes standard output. Raises EInOutError with the system's
  // error code when standard output cannot take those bytes: a text lost
  // there is lost as surely as one lost during the run.
  void Finish();

  // Writes out what the buffer still holds and closes standard output, for a
  // run whose failure is reported already. Returns false when that failed.
  bool Close();

  // The type of standard output (FILE_TYPE_CHAR for a console), opening it
  // if need be; FILE_TYPE_UNKNOWN when there is none to write to.
  DWORD OutputType();

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
