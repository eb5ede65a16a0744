// The messenger service on POSIX: the UTF-16 name and text become code page
// 932, the code page receivers on the LAN expect, and go out through the
// messenger client.
#include <cstring>
#include <string>

#include "code_page_posix.h"
#include "messenger/messenger_client.h"
#include "messenger/net_message_send.h"
#include "posix_platform.h"

namespace wirenote {
namespace messenger {
namespace {

// Units of a name longer than any the client takes: every unit gives at
// least one byte, so reading stops there.
constexpr std::size_t kNameUnitsToRead = 16;

// The units of a zero-terminated name, at most `limit` of them.
std::u16string NameUnits(const WCHAR* name, std::size_t limit) {
  std::u16string units;
  while (units.size() < limit && name[units.size()] != 0) units.push_back(name[units.size()]);
  return units;
}

// A byte-order mark opening a text (a UTF-8 file read in a UTF-8 locale
// begins with one) says how the text was stored, and is no part of it.
constexpr char16_t kByteOrderMark = u'\uFEFF';

// The buffer's units up to the first zero unit, if there is one, without a
// leading byte-order mark. The buffer is bytes and may be unaligned.
std::u16string MessageUnits(const BYTE* buffer, DWORD buffer_bytes) {
  std::u16string units;
  for (std::size_t at = 0; at + sizeof(WCHAR) <= buffer_bytes; at += sizeof(WCHAR)) {
    WCHAR unit;
    std::memcpy(&unit, buffer + at, sizeof unit);
    if (unit == 0) break;
    units.push_back(unit);
  }
  if (!units.empty() && units.front() == kByteOrderMark) units.erase(0, 1);
  return units;
}

}  // namespace

NET_API_STATUS NetMessageBufferSendWith(const MessengerConfig& config, const WCHAR* server_name,
                                        const WCHAR* message_name, const WCHAR* from_name,
                                        const BYTE* buffer, DWORD buffer_bytes) {
  // Sending through another server and under another name are not offered.
  if (server_name != nullptr || from_name != nullptr) return ERROR_NOT_SUPPORTED;
  if (message_name == nullptr || (buffer == nullptr && buffer_bytes > 0)) {
    return ERROR_INVALID_PARAMETER;
  }
  const std::string oem = CharsetForCodePage(CP_OEMCP);
  std::string recipient;
  if (!EncodeFromUtf16(oem, NameUnits(message_name, kNameUnitsToRead), &recipient)) {
    return ERROR_INVALID_PARAMETER;
  }
  // What the code page cannot hold goes as "?": only valid text on the wire.
  std::string text;
  if (buffer != nullptr) EncodeFromUtf16(oem, MessageUnits(buffer, buffer_bytes), &text);
  return SendNetMessage(config, recipient, text);
}

}  // namespace messenger

NET_API_STATUS PosixPlatform::NetMessageBufferSend(const WCHAR* server_name,
                                                   const WCHAR* message_name,
                                                   const WCHAR* from_name, BYTE* buffer,
                                                   DWORD buffer_bytes) {
  return messenger::NetMessageBufferSendWith(messenger::MessengerConfig{}, server_name,
                                             message_name, from_name, buffer, buffer_bytes);
}

}  // namespace wirenote
