// How a fake receiver behaves on a session: like a receiver that takes
// every message, or faulty in one of the ways a LAN or a receiver can be,
// each with the status the sender must answer it with. Shared by the
// client's tests and the end-to-end tests of the built program.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fake_receiver.h"
#include "win_types.h"
#include "wire_builders.h"

namespace wirenote::messenger::testing {

constexpr std::size_t kSmbHeader = 32;
constexpr std::uint8_t kSendStart = 0xD5;
constexpr std::uint8_t kSendEnd = 0xD6;
constexpr std::uint8_t kSendText = 0xD7;
inline const Bytes kPositive = {0x82, 0x00, 0x00, 0x00};
inline const Bytes kKeepAlive = {0x85, 0x00, 0x00, 0x00};

// A reply to `request` as a receiver frames it.
inline Bytes ReplyTo(const ReceivedFrame& request, std::uint32_t status = 0, std::uint16_t flags2 = 0,
              std::vector<std::uint16_t> words = {}) {
  Bytes smb(request.payload.begin(), request.payload.begin() + kSmbHeader);
  for (int i = 0; i < 4; ++i) smb[5 + i] = static_cast<std::uint8_t>(status >> (8 * i));
  smb[9] |= 0x80;
  smb[10] = static_cast<std::uint8_t>(flags2);
  smb[11] = static_cast<std::uint8_t>(flags2 >> 8);
  smb.push_back(static_cast<std::uint8_t>(words.size()));
  for (std::uint16_t word : words) {
    smb.push_back(static_cast<std::uint8_t>(word));
    smb.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  smb.push_back(0);
  smb.push_back(0);
  return Cat({{0x00, 0x00, static_cast<std::uint8_t>(smb.size() >> 8), static_cast<std::uint8_t>(smb.size())}, smb});
}

// How the session receiver behaves; by default like a receiver that takes
// every message.
struct Behaviour {
  Bytes session_answer = kPositive;
  bool silent_after_session_request = false;
  bool close_after_session = false;
  int close_after_text_blocks = 0;  // 0: never
  bool reset_instead_of_close = false;
  std::uint8_t failing_command = 0;  // 0: none
  std::uint32_t error_status = 0;
  std::uint16_t error_flags2 = 0;
  std::vector<std::uint16_t> start_words;  // what SEND_START's reply carries
  bool keep_alives = false;
  // Replaces the reply to a request; an empty result means no reply at all.
  std::function<Bytes(const ReceivedFrame& request, Bytes reply)> rewrite;
  // At the request of this command the receiver closes (or resets) without
  // a whole reply, after the first `reply_bytes_before_close` bytes of it;
  // 0: never.
  std::uint8_t close_at = 0;
  std::size_t reply_bytes_before_close = 0;
  // Keep-alives without end, as fast as the client takes them, in place of
  // the session response, or of the reply to this command (0: none).
  bool flood_instead_of_session_answer = false;
  std::uint8_t flood_instead_of_reply_to = 0;
};

inline void Serve(FakeConnection& connection, const Behaviour& behaviour) {
  ReceivedFrame frame;
  if (!connection.Read(&frame)) return;
  if (behaviour.silent_after_session_request) return;
  if (behaviour.flood_instead_of_session_answer) return connection.Flood(kKeepAlive);
  connection.Write(behaviour.session_answer);
  if (behaviour.close_after_session) return connection.Close(behaviour.reset_instead_of_close);
  int text_blocks = 0;
  while (connection.Read(&frame)) {
    if (frame.type != 0x00 || frame.payload.size() <= kSmbHeader) return;
    const std::uint8_t command = frame.payload[4];
    if (command == kSendText && ++text_blocks == behaviour.close_after_text_blocks) {
      return connection.Close(behaviour.reset_instead_of_close);
    }
    Bytes reply = command == behaviour.failing_command
                      ? ReplyTo(frame, behaviour.error_status, behaviour.error_flags2)
                      : ReplyTo(frame, 0, 0, command == kSendStart ? behaviour.start_words
                                                                   : std::vector<std::uint16_t>{});
    if (behaviour.rewrite) reply = behaviour.rewrite(frame, reply);
    if (reply.empty()) return;
    if (command == behaviour.flood_instead_of_reply_to) return connection.Flood(kKeepAlive);
    if (behaviour.keep_alives) {
      connection.Write(kKeepAlive);
      connection.Write(kKeepAlive);
    }
    if (command == behaviour.close_at) {
      reply.resize(std::min(reply.size(), behaviour.reply_bytes_before_close));
      if (!reply.empty()) connection.Write(reply);
      return connection.Close(behaviour.reset_instead_of_close);
    }
    connection.Write(reply);
  }
}

struct FaultRow {
  const char* what;
  Behaviour behaviour;
  NET_API_STATUS expected;
  int deadline_ms = 5000;
};

inline Behaviour Negative(std::uint8_t error) {
  Behaviour behaviour;
  behaviour.session_answer = {0x83, 0x00, 0x00, 0x01, error};
  return behaviour;
}

inline Behaviour Failing(std::uint8_t command, std::uint32_t status, std::uint16_t flags2 = 0) {
  Behaviour behaviour;
  behaviour.failing_command = command;
  behaviour.error_status = status;
  behaviour.error_flags2 = flags2;
  return behaviour;
}

inline Behaviour Rewriting(std::uint8_t command, std::function<Bytes(Bytes)> change) {
  Behaviour behaviour;
  behaviour.rewrite = [command, change](const ReceivedFrame& request, Bytes reply) {
    return request.payload[4] == command ? change(reply) : reply;
  };
  return behaviour;
}

inline Behaviour Set(Behaviour behaviour, std::function<void(Behaviour&)> change) {
  change(behaviour);
  return behaviour;
}

inline std::vector<FaultRow> FaultRows() {
  const std::string garbage = "HTTP/1.0 400 Bad Request\r\n\r\n";
  return {
      {"negative session response: not listening on the called name", Negative(0x80), NERR_NameNotFound},
      {"negative session response: called name not present", Negative(0x82), NERR_NameNotFound},
      {"negative session response: not listening for the calling name", Negative(0x81), NERR_NetworkError},
      {"negative session response: insufficient resources", Negative(0x83), NERR_NetworkError},
      {"negative session response: unspecified", Negative(0x8F), NERR_NetworkError},
      {"retarget", Set({}, [](Behaviour& b) { b.session_answer = {0x84, 0, 0, 6, 127, 0, 0, 1, 0, 139}; }),
       NERR_NetworkError},
      {"a session message instead of the session response",
       Set({}, [](Behaviour& b) { b.session_answer = {0x00, 0, 0, 0}; }), NERR_NetworkError},
      // Receivers that refuse SMB1 take the session, then drop the
      // connection at the first message command, with no reply: in order
      // (real smbd), or by a reset when the request arrives after the close.
      {"closes right after the session response, before SEND_START is answered",
       Set({}, [](Behaviour& b) { b.close_after_session = true; }), ERROR_NOT_SUPPORTED},
      {"closes at SEND_START without a reply", Set({}, [](Behaviour& b) { b.close_at = kSendStart; }),
       ERROR_NOT_SUPPORTED},
      {"keep-alives, then closes at SEND_START without a reply", Set({}, [](Behaviour& b) {
         b.keep_alives = true;
         b.close_at = kSendStart;
       }),
       ERROR_NOT_SUPPORTED},
      {"resets at SEND_START without a reply", Set({}, [](Behaviour& b) {
         b.close_at = kSendStart;
         b.reset_instead_of_close = true;
       }),
       ERROR_NOT_SUPPORTED},
      {"closes after the header of SEND_START's reply", Set({}, [](Behaviour& b) {
         b.close_at = kSendStart;
         b.reply_bytes_before_close = 4;
       }),
       NERR_NetworkError},
      {"closes in the middle of SEND_START's reply", Set({}, [](Behaviour& b) {
         b.close_at = kSendStart;
         b.reply_bytes_before_close = 20;
       }),
       NERR_NetworkError},
      {"closes at SEND_END without a reply", Set({}, [](Behaviour& b) { b.close_at = kSendEnd; }),
       NERR_NetworkError},
      {"resets right after the session response", Set({}, [](Behaviour& b) {
         b.close_after_session = true;
         b.reset_instead_of_close = true;
       }),
       ERROR_NOT_SUPPORTED},
      {"closes in the middle of the text blocks", Set({}, [](Behaviour& b) { b.close_after_text_blocks = 2; }),
       NERR_NetworkError},
      {"resets in the middle of the text blocks", Set({}, [](Behaviour& b) {
         b.close_after_text_blocks = 2;
         b.reset_instead_of_close = true;
       }),
       NERR_NetworkError},
      {"never answers the session request", Set({}, [](Behaviour& b) { b.silent_after_session_request = true; }),
       NERR_NetworkError, 300},
      {"never answers a text block", Rewriting(kSendText, [](Bytes) { return Bytes{}; }), NERR_NetworkError, 300},
      {"answers with a wrong command", Rewriting(kSendStart, [](Bytes r) { r[4 + 4] = kSendEnd; return r; }),
       NERR_NetworkError},
      {"answers with a wrong message id", Rewriting(kSendText, [](Bytes r) { r[4 + 30] ^= 0x10; return r; }),
       NERR_NetworkError},
      {"answers without the reply flag", Rewriting(kSendEnd, [](Bytes r) { r[4 + 9] = 0; return r; }),
       NERR_NetworkError},
      {"announces a longer frame than it sends, then waits",
       Rewriting(kSendStart, [](Bytes r) { r[3] = static_cast<std::uint8_t>(r[3] + 20); return r; }),
       NERR_NetworkError, 300},
      {"announces more bytes in the reply than it has",
       Rewriting(kSendText, [](Bytes r) { r[r.size() - 2] = 9; return r; }), NERR_NetworkError},
      {"answers garbage", Rewriting(kSendStart, [garbage](Bytes) { return B(garbage); }), NERR_NetworkError},
      {"answers garbage inside a session message",
       Rewriting(kSendEnd, [](Bytes) { return Bytes{0x00, 0x00, 0x00, 0x05, 0xFF, 'S', 'M', 'B', 0xD6}; }),
       NERR_NetworkError},
      {"sends keep-alives between replies", Set({}, [](Behaviour& b) { b.keep_alives = true; }), NERR_Success},
      // A peer that keeps the socket full must not outlast the deadline.
      {"keep-alives without end instead of the session response",
       Set({}, [](Behaviour& b) { b.flood_instead_of_session_answer = true; }), NERR_NetworkError, 1000},
      {"keep-alives without end instead of SEND_START's reply",
       Set({}, [](Behaviour& b) { b.flood_instead_of_reply_to = kSendStart; }), NERR_NetworkError, 1000},
      {"keep-alives without end instead of a text block's reply",
       Set({}, [](Behaviour& b) { b.flood_instead_of_reply_to = kSendText; }), NERR_NetworkError, 1000},
      {"a group id in SEND_START's reply", Set({}, [](Behaviour& b) { b.start_words = {0x1234}; }), NERR_Success},
      {"messages off: ERRDOS 71", Failing(kSendStart, 0x00470001), ERROR_NOT_SUPPORTED},
      {"messages off: ERRDOS 71 at the end", Failing(kSendEnd, 0x00470001), ERROR_NOT_SUPPORTED},
      {"messages off: ERRSRV 0x31", Failing(kSendStart, 0x00310002), ERROR_NOT_SUPPORTED},
      {"request not accepted, 32-bit", Failing(kSendStart, 0xC00000D0, 0x4000), ERROR_NOT_SUPPORTED},
      {"not supported, 32-bit", Failing(kSendText, 0xC00000BB, 0x4000), ERROR_NOT_SUPPORTED},
      {"access denied: ERRDOS 5", Failing(kSendStart, 0x00050001), ERROR_ACCESS_DENIED},
      {"access denied: ERRSRV 4", Failing(kSendText, 0x00040002), ERROR_ACCESS_DENIED},
      {"access denied, 32-bit", Failing(kSendEnd, 0xC0000022, 0x4000), ERROR_ACCESS_DENIED},
      {"invalid parameter: ERRDOS 87", Failing(kSendText, 0x00570001), ERROR_INVALID_PARAMETER},
      {"invalid parameter, 32-bit", Failing(kSendStart, 0xC000000D, 0x4000), ERROR_INVALID_PARAMETER},
      {"another error: ERRDOS 2", Failing(kSendStart, 0x00020001), ERROR_GEN_FAILURE},
      {"another error, 32-bit", Failing(kSendEnd, 0xC0000001, 0x4000), ERROR_GEN_FAILURE},
  };
}

}  // namespace wirenote::messenger::testing
