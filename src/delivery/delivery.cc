#include "delivery/delivery.h"

#include <climits>
#include <memory>

#include "delivery/fitting_prefix.h"

namespace wirenote {
namespace {

constexpr std::size_t kMessageBufferUnits = MessageBufferBytes / sizeof(WCHAR);
constexpr std::size_t kNameBufferUnits = NameBufferBytes / sizeof(WCHAR);

struct StatusRow {
  NET_API_STATUS status;
  const CatalogueText* text;
};

constexpr StatusRow kStatusTable[] = {
    {NERR_Success, &MsgSent},
    {ERROR_ACCESS_DENIED, &MsgAccessDenied},
    {ERROR_NOT_SUPPORTED, &MsgNotSupported},
    {ERROR_INVALID_PARAMETER, &MsgInvalidParameter},
    {NERR_NetworkError, &MsgNetworkError},
    {NERR_NameNotFound, &MsgNameNotFound},
};

int ClampedLength(std::string_view text) {
  return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

// Whether the name, with its zero unit, fits the name buffer. The service
// takes the name without a length, so a name that fills the buffer to its
// end would run on past it.
bool NameFits(Platform& platform, std::string_view recipient_name) {
  if (recipient_name.empty()) return true;
  const int units = platform.MultiByteToWideChar(CP_ACP, 0, recipient_name.data(),
                                                 ClampedLength(recipient_name), nullptr, 0);
  return units >= 0 && static_cast<std::size_t>(units) < kNameBufferUnits;
}

}  // namespace

CatalogueText StatusTextFor(NET_API_STATUS status) {
  for (const StatusRow& row : kStatusTable) {
    if (row.status == status) return *row.text;
  }
  return MsgSendFailed;
}

int ConvertToUtf16(Platform& platform, std::string_view text, WCHAR* buffer,
                   std::size_t buffer_bytes) {
  const std::size_t capacity_units = buffer_bytes / sizeof(WCHAR);
  const int capacity = capacity_units > static_cast<std::size_t>(INT_MAX)
                           ? INT_MAX
                           : static_cast<int>(capacity_units);
  int units = 0;
  if (!text.empty() && capacity > 0) {
    units = platform.MultiByteToWideChar(CP_ACP, 0, text.data(), ClampedLength(text), buffer,
                                         capacity);
    // More units than the buffer holds: rather than nothing, as much of the
    // text as fits, in whole characters.
    if (units == 0 && platform.GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      units = ConvertFittingPrefix(platform, text, buffer, capacity);
    }
    if (units < 0 || units > capacity) units = 0;
  }
  if (units < capacity) buffer[units] = 0;
  return units;
}

void DeliverMessage(Platform& platform, Console& console, std::string_view recipient_name,
                    std::string_view message_text) {
  auto message_buffer = std::make_unique<WCHAR[]>(kMessageBufferUnits);
  auto name_buffer = std::make_unique<WCHAR[]>(kNameBufferUnits);
  CatalogueText status_text = MsgSendFailed;

  // The status text is written and the buffers released however conversion
  // and sending end; the buffers go only after the text is out.
  auto close = [&] {
    console.WriteStatus(status_text);
    name_buffer.reset();
    message_buffer.reset();
  };
  try {
    ConvertToUtf16(platform, message_text, message_buffer.get(), MessageBufferBytes);
    if (!NameFits(platform, recipient_name)) {
      status_text = MsgInvalidParameter;
    } else {
      ConvertToUtf16(platform, recipient_name, name_buffer.get(), NameBufferBytes);
      const NET_API_STATUS status = platform.NetMessageBufferSend(
          nullptr, name_buffer.get(), nullptr, reinterpret_cast<BYTE*>(message_buffer.get()),
          static_cast<DWORD>(MessageBufferBytes));
      status_text = StatusTextFor(status);
    }
  } catch (...) {
    close();
    throw;
  }
  close();
}

}  // namespace wirenote
