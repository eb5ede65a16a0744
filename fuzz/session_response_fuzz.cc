// Any byte stream from a session peer, read as the client reads it: frame
// after frame, keep-alives skipped, each frame taken as a session response
// and as an SMB reply. Every frame must lie inside what arrived.
#include <cstddef>
#include <cstdint>

#include "messenger_wire/session_service.h"
#include "messenger_wire/smb_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wirenote::messenger;
  ByteSpan received(data, size);
  for (;;) {
    const SplitResult split = SplitFrame(received);
    if (split.status != FrameStatus::kComplete) return 0;
    const Frame& frame = split.frame;
    if (frame.size > received.size() || frame.size != kFrameHeaderBytes + frame.payload.size() ||
        frame.payload.data() != received.data() + kFrameHeaderBytes) {
      __builtin_trap();
    }
    if (frame.type != kFrameKeepAlive) {
      const SessionResponse response = ParseSessionResponse(frame);
      if (response.answer == SessionAnswer::kPositive && !frame.payload.empty()) __builtin_trap();
      if (frame.type == kFrameSessionMessage) ParseSmbReply(frame.payload);
    }
    received = received.subspan(frame.size);
  }
}
