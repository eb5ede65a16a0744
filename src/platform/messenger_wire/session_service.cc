#include "messenger_wire/session_service.h"

namespace wirenote::messenger {
namespace {

constexpr std::size_t kNegativeResponseBytes = 1;
constexpr std::size_t kRetargetBytes = 6;  // IPv4 address, port

Bytes MakeFrame(std::uint8_t type, ByteSpan payload) {
  Bytes frame;
  frame.reserve(kFrameHeaderBytes + payload.size());
  PutU8(&frame, type);
  PutU8(&frame, payload.size() > 0xFFFF ? kFrameLengthHighBit : 0);
  PutU16Be(&frame, static_cast<std::uint16_t>(payload.size()));
  PutBytes(&frame, payload);
  return frame;
}

bool IsKnownType(std::uint8_t type) {
  switch (type) {
    case kFrameSessionMessage:
    case kFrameSessionRequest:
    case kFramePositiveResponse:
    case kFrameNegativeResponse:
    case kFrameRetarget:
    case kFrameKeepAlive:
      return true;
    default:
      return false;
  }
}

}  // namespace

Bytes BuildSessionRequest(const NetbiosName& called, const NetbiosName& calling) {
  Bytes names;
  PutBytes(&names, EncodeName(called));
  PutBytes(&names, EncodeName(calling));
  return MakeFrame(kFrameSessionRequest, names);
}

Bytes BuildSessionMessage(ByteSpan payload) { return MakeFrame(kFrameSessionMessage, payload); }

SplitResult SplitFrame(ByteSpan received) {
  SplitResult result;
  ByteReader reader(received);
  std::uint8_t type = 0;
  std::uint8_t flags = 0;
  std::uint16_t length = 0;
  if (!reader.U8(&type) || !reader.U8(&flags) || !reader.U16Be(&length)) return result;
  if (!IsKnownType(type) || (flags & ~kFrameLengthHighBit) != 0) {
    result.status = FrameStatus::kMalformed;
    return result;
  }
  const std::size_t payload_bytes =
      static_cast<std::size_t>(flags & kFrameLengthHighBit) << 16 | length;
  if (!reader.Take(payload_bytes, &result.frame.payload)) return result;
  result.status = FrameStatus::kComplete;
  result.frame.type = type;
  result.frame.size = kFrameHeaderBytes + payload_bytes;
  return result;
}

SessionResponse ParseSessionResponse(const Frame& frame) {
  SessionResponse response;
  switch (frame.type) {
    case kFramePositiveResponse:
      if (frame.payload.empty()) response.answer = SessionAnswer::kPositive;
      break;
    case kFrameNegativeResponse:
      if (frame.payload.size() == kNegativeResponseBytes) {
        response.answer = SessionAnswer::kNegative;
        response.error = frame.payload[0];
      }
      break;
    case kFrameRetarget:
      if (frame.payload.size() == kRetargetBytes) response.answer = SessionAnswer::kRetarget;
      break;
    default:
      break;
  }
  return response;
}

}  // namespace wirenote::messenger
