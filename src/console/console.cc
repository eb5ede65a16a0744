#include "console/console.h"

#include <cstring>

#include "failure.h"

namespace wirenote {

DWORD Console::Open() {
  if (state_ == State::kOpen) return 0;
  if (state_ != State::kUnopened) return kFileNotOpen;
  handle_ = platform_.GetStdHandle(STD_OUTPUT_HANDLE);
  file_type_ = handle_ == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN : platform_.GetFileType(handle_);
  state_ = file_type_ == FILE_TYPE_UNKNOWN ? State::kUnavailable : State::kOpen;
  return state_ == State::kOpen ? 0 : kFileNotOpen;
}

DWORD Console::Flush() {
  if (used_ == 0) return 0;
  DWORD written = 0;
  const BOOL ok = platform_.WriteFile(handle_, buffer_.data(), static_cast<DWORD>(used_), &written);
  used_ = 0;
  return ok ? 0 : platform_.GetLastError();
}

DWORD Console::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t room = buffer_.size() - used_;
    const std::size_t take = bytes.size() < room ? bytes.size() : room;
    std::memcpy(buffer_.data() + used_, bytes.data(), take);
    used_ += take;
    bytes.remove_prefix(take);
    if (used_ == buffer_.size()) {
      // On failure the rest of the text is dropped, as the system would.
      if (const DWORD error = Flush()) return error;
    }
  }
  return 0;
}

void Console::WriteStatus(CatalogueText text) {
  DWORD error = Open();
  if (error == 0) error = Append(text);
  if (error == 0 && file_type_ == FILE_TYPE_CHAR) error = Flush();
  if (error != 0) throw EInOutError(error);
}

bool Console::WriteReport(std::string_view report) {
  if (Open() != 0) return false;
  if (Append(report) != 0) return false;
  return Close();
}

void Console::Finish() {
  if (state_ != State::kOpen) return;
  state_ = State::kClosed;
  if (const DWORD error = Flush()) throw EInOutError(error);
}

bool Console::Close() {
  if (state_ != State::kOpen) return true;
  state_ = State::kClosed;
  return Flush() == 0;
}

DWORD Console::OutputType() {
  return Open() == 0 ? file_type_ : FILE_TYPE_UNKNOWN;
}

}  // namespace wirenote
