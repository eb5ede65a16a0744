// The SMB core message commands that carry one message in blocks, and the
// reading of their replies. All SMB fields are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger {

inline constexpr std::size_t kSmbHeaderBytes = 32;
inline constexpr std::uint8_t kSmbMagic[4] = {0xFF, 'S', 'M', 'B'};

inline constexpr std::uint8_t kCommandSendStart = 0xD5;
inline constexpr std::uint8_t kCommandSendEnd = 0xD6;
inline constexpr std::uint8_t kCommandSendText = 0xD7;

inline constexpr std::uint8_t kFlagsReply = 0x80;
inline constexpr std::uint16_t kFlags2NtStatus = 0x4000;
inline constexpr std::uint16_t kNoTree = 0xFFFF;

inline constexpr std::uint8_t kBufferFormatDataBlock = 0x01;
inline constexpr std::uint8_t kBufferFormatAscii = 0x04;

// The most text one SEND_TEXT carries: all that classic receivers take.
inline constexpr std::size_t kMaxTextBlockBytes = 128;

// Error classes and codes of the DOS status form.
inline constexpr std::uint8_t kClassSuccess = 0x00;
inline constexpr std::uint8_t kClassErrDos = 0x01;
inline constexpr std::uint8_t kClassErrSrv = 0x02;
inline constexpr std::uint16_t kErrDosAccessDenied = 5;
inline constexpr std::uint16_t kErrDosRequestNotAccepted = 71;
inline constexpr std::uint16_t kErrDosInvalidParameter = 87;
inline constexpr std::uint16_t kErrSrvAccessDenied = 4;
inline constexpr std::uint16_t kErrSrvMessagesOff = 0x31;

// 32-bit status values.
inline constexpr std::uint32_t kStatusInvalidParameter = 0xC000000D;
inline constexpr std::uint32_t kStatusAccessDenied = 0xC0000022;
inline constexpr std::uint32_t kStatusNotSupported = 0xC00000BB;
inline constexpr std::uint32_t kStatusRequestNotAccepted = 0xC00000D0;

// What ties a request to its reply.
struct SmbIds {
  std::uint16_t pid = 0;
  std::uint16_t mid = 0;
};

// The SMB messages (without the session frame around them).
Bytes BuildSendStart(SmbIds ids, std::string_view originator, std::string_view destination);
Bytes BuildSendText(SmbIds ids, std::uint16_t group_id, std::string_view text);
Bytes BuildSendEnd(SmbIds ids, std::uint16_t group_id);

struct SmbReply {
  std::uint8_t command = 0;
  std::uint32_t status = 0;  // DOS form: class, reserved, code; or 32-bit
  std::uint8_t flags = 0;
  std::uint16_t flags2 = 0;
  std::uint16_t tid = 0;
  std::uint16_t pid = 0;
  std::uint16_t uid = 0;
  std::uint16_t mid = 0;
  std::vector<std::uint16_t> words;
  Bytes data;
};

// A reply to an SMB request; none for anything else or anything whose
// counts run past its end.
std::optional<SmbReply> ParseSmbReply(ByteSpan message);

// Whether the reply's status is a 32-bit status rather than the DOS form.
inline bool HasNtStatus(const SmbReply& reply) { return (reply.flags2 & kFlags2NtStatus) != 0; }

// A status of the DOS form: the error class in its first byte, the error
// code in its last two (the byte between is reserved).
struct DosError {
  std::uint8_t error_class = kClassSuccess;
  std::uint16_t code = 0;
};
inline DosError DosErrorOf(std::uint32_t status) {
  return {static_cast<std::uint8_t>(status), static_cast<std::uint16_t>(status >> 16)};
}

}  // namespace wirenote::messenger
