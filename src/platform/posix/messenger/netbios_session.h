// One NetBIOS session over TCP: connecting, sending, and reading whole
// frames as the wire layer splits them, each step bounded by the deadline,
// which is checked on every turn (every frame, every read), not only when
// the socket has nothing: a peer that keeps it full cannot hold a step past
// it. It says only how a step went; what that means to the sender, the
// client decides (windows_status.h).
#pragma once

#include "posix_back.h"

#include <cstdint>

#include "messenger/messenger_config.h"
#include "messenger/socket_io.h"
#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger {

// How a step on the session ended.
enum class SessionFailure {
  kNone,
  kSetup,      // no socket could be had, or its state not read
  kSystem,     // a socket call failed; `error` says why
  kTimedOut,   // the deadline passed first
  kWait,       // waiting on the socket failed
  kClosed,     // the peer closed in order between frames: nothing of the next came
  kCutShort,   // the peer closed or reset the connection in the middle of a frame
  kMalformed,  // the peer sent what no session peer sends
};

struct SessionResult {
  SessionFailure failure = SessionFailure::kNone;
  int error = 0;  // the errno of kSystem
  bool ok() const { return failure == SessionFailure::kNone; }
};

// The session owns its socket: it can be neither copied nor moved while
// frames may be half read.
class Session {
 public:
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  SessionResult Connect(const Ipv4Address& address, std::uint16_t port, Clock::time_point deadline);

  // All of `bytes`, however many writes it takes.
  SessionResult Send(ByteSpan bytes, Clock::time_point deadline);

  // The next frame that is not a keep-alive; keep-alives count against the
  // deadline like any other wait.
  SessionResult ReadFrame(Clock::time_point deadline, std::uint8_t* type, Bytes* payload);

 private:
  Descriptor socket_;
  Bytes received_;
};

}  // namespace wirenote::messenger
