// The session service on TCP 139: every exchange travels in frames of a
// 4-byte header (type, flags, 16-bit length whose 17th bit is flag bit 0)
// and the bytes it announces.
#pragma once

#include <cstddef>
#include <cstdint>

#include "messenger_wire/netbios_name.h"
#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger {

inline constexpr std::size_t kFrameHeaderBytes = 4;
inline constexpr std::size_t kMaxFramePayloadBytes = 0x1FFFF;
inline constexpr std::uint8_t kFrameLengthHighBit = 0x01;

inline constexpr std::uint8_t kFrameSessionMessage = 0x00;
inline constexpr std::uint8_t kFrameSessionRequest = 0x81;
inline constexpr std::uint8_t kFramePositiveResponse = 0x82;
inline constexpr std::uint8_t kFrameNegativeResponse = 0x83;
inline constexpr std::uint8_t kFrameRetarget = 0x84;
inline constexpr std::uint8_t kFrameKeepAlive = 0x85;

// What a negative session response says went wrong.
inline constexpr std::uint8_t kNotListeningOnCalledName = 0x80;
inline constexpr std::uint8_t kNotListeningForCallingName = 0x81;
inline constexpr std::uint8_t kCalledNameNotPresent = 0x82;
inline constexpr std::uint8_t kInsufficientResources = 0x83;
inline constexpr std::uint8_t kUnspecifiedError = 0x8F;

// The request that opens a session from `calling` to `called`.
Bytes BuildSessionRequest(const NetbiosName& called, const NetbiosName& calling);

// `payload` (an SMB message) in a session message frame.
Bytes BuildSessionMessage(ByteSpan payload);

enum class FrameStatus { kComplete, kIncomplete, kMalformed };

struct Frame {
  std::uint8_t type = 0;
  ByteSpan payload;      // inside the bytes given to SplitFrame
  std::size_t size = 0;  // header and payload: what to drop before the next frame
};

struct SplitResult {
  FrameStatus status = FrameStatus::kIncomplete;
  Frame frame;
};

// The first frame at the start of `received`: complete, still arriving, or
// something no session peer sends (an unknown type or flag bits).
SplitResult SplitFrame(ByteSpan received);

enum class SessionAnswer { kPositive, kNegative, kRetarget, kMalformed };

struct SessionResponse {
  SessionAnswer answer = SessionAnswer::kMalformed;
  std::uint8_t error = 0;  // of a negative response
};

// The answer to a session request, from the first frame that is not a
// keep-alive.
SessionResponse ParseSessionResponse(const Frame& frame);

}  // namespace wirenote::messenger
