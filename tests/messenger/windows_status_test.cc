// What the client answers with for each outcome it meets: the SMB reply's
// status, a step on the session, the answer to a session request.
#include <gtest/gtest.h>

#include <cerrno>

#include "messenger/windows_status.h"
#include "messenger_wire/smb_message.h"
#include "wire_builders.h"

namespace wirenote::messenger {
namespace {

using testing::Reply;

TEST(WindowsStatus, MapsReplyStatusesToWindowsCodes) {
  struct Case {
    std::uint32_t status;
    std::uint16_t flags2;
    NET_API_STATUS expected;
  };
  const Case cases[] = {
      {0, 0, NERR_Success},
      {0, 0x4000, NERR_Success},
      {0x00470001, 0, ERROR_NOT_SUPPORTED},       // ERRDOS 71
      {0x00310002, 0, ERROR_NOT_SUPPORTED},       // ERRSRV 0x31
      {0x00050001, 0, ERROR_ACCESS_DENIED},       // ERRDOS 5
      {0x00040002, 0, ERROR_ACCESS_DENIED},       // ERRSRV 4
      {0x00570001, 0, ERROR_INVALID_PARAMETER},   // ERRDOS 87
      {0x00570001, 0x4000, ERROR_GEN_FAILURE},    // the same bytes as a 32-bit status
      {0xC00000D0, 0x4000, ERROR_NOT_SUPPORTED},
      {0xC00000BB, 0x4000, ERROR_NOT_SUPPORTED},
      {0xC0000022, 0x4000, ERROR_ACCESS_DENIED},
      {0xC000000D, 0x4000, ERROR_INVALID_PARAMETER},
      {0xC0000001, 0x4000, ERROR_GEN_FAILURE},
      {0x00020001, 0, ERROR_GEN_FAILURE},         // ERRDOS 2
      {0x00310001, 0, ERROR_GEN_FAILURE},         // 0x31 is ERRSRV's code only
      {0x00050003, 0, ERROR_GEN_FAILURE},         // ERRHRD 5
  };
  for (const Case& c : cases) {
    const auto reply = ParseSmbReply(Reply(0xD5, 1, c.status, c.flags2, {0x00, 0x00, 0x00}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(WindowsStatusOf(*reply), c.expected) << std::hex << c.status;
  }
}

TEST(WindowsStatus, MapsSessionStepsToWindowsCodes) {
  struct Case {
    const char* what;
    SessionResult result;
    NET_API_STATUS on_open_session;
    NET_API_STATUS on_connect;
  };
  const Case cases[] = {
      {"done", {}, NERR_Success, NERR_Success},
      {"refused", {SessionFailure::kSystem, ECONNREFUSED}, NERR_NetworkError, NERR_NameNotFound},
      {"reset", {SessionFailure::kSystem, ECONNRESET}, NERR_NetworkError, NERR_NetworkError},
      {"broken pipe", {SessionFailure::kSystem, EPIPE}, NERR_NetworkError, NERR_NetworkError},
      {"host unreachable", {SessionFailure::kSystem, EHOSTUNREACH}, NERR_NetworkError, NERR_NetworkError},
      {"network down", {SessionFailure::kSystem, ENETDOWN}, NERR_NetworkError, NERR_NetworkError},
      {"timed out by the system", {SessionFailure::kSystem, ETIMEDOUT}, NERR_NetworkError, NERR_NetworkError},
      {"another system error", {SessionFailure::kSystem, EACCES}, ERROR_GEN_FAILURE, ERROR_GEN_FAILURE},
      {"past the deadline", {SessionFailure::kTimedOut, 0}, NERR_NetworkError, NERR_NetworkError},
      {"closed by the peer", {SessionFailure::kClosed, 0}, NERR_NetworkError, NERR_NetworkError},
      {"closed in the middle of a frame", {SessionFailure::kCutShort, 0}, NERR_NetworkError, NERR_NetworkError},
      {"a malformed frame", {SessionFailure::kMalformed, 0}, NERR_NetworkError, NERR_NetworkError},
      {"no socket", {SessionFailure::kSetup, 0}, ERROR_GEN_FAILURE, ERROR_GEN_FAILURE},
      {"waiting failed", {SessionFailure::kWait, 0}, ERROR_GEN_FAILURE, ERROR_GEN_FAILURE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsStatusOf(c.result), c.on_open_session) << c.what;
    EXPECT_EQ(WindowsStatusOfConnect(c.result), c.on_connect) << c.what;
  }
}

// A receiver that refuses SMB1 takes the session and then drops it at the
// first message command without a byte of reply: closed in order, or reset
// when our request reached it after its close.
TEST(WindowsStatus, ADropInsteadOfTheFirstReplyMeansMessagesAreNotTaken) {
  struct Case {
    const char* what;
    std::uint8_t command;
    SessionResult result;
    NET_API_STATUS expected;
  };
  const Case cases[] = {
      {"SEND_START, closed in order", kCommandSendStart, {SessionFailure::kClosed, 0}, ERROR_NOT_SUPPORTED},
      {"SEND_START, closed in the middle of the reply", kCommandSendStart, {SessionFailure::kCutShort, 0},
       NERR_NetworkError},
      {"SEND_START, reset", kCommandSendStart, {SessionFailure::kSystem, ECONNRESET}, ERROR_NOT_SUPPORTED},
      {"SEND_START, reset before it went out", kCommandSendStart, {SessionFailure::kSystem, EPIPE},
       ERROR_NOT_SUPPORTED},
      {"SEND_START, unreachable", kCommandSendStart, {SessionFailure::kSystem, EHOSTUNREACH},
       NERR_NetworkError},
      {"SEND_TEXT, reset", kCommandSendText, {SessionFailure::kSystem, ECONNRESET}, NERR_NetworkError},
      {"SEND_START, past the deadline", kCommandSendStart, {SessionFailure::kTimedOut, 0}, NERR_NetworkError},
      {"SEND_START, answered", kCommandSendStart, {}, NERR_Success},
      {"SEND_TEXT, closed in order", kCommandSendText, {SessionFailure::kClosed, 0}, NERR_NetworkError},
      {"SEND_END, closed in order", kCommandSendEnd, {SessionFailure::kClosed, 0}, NERR_NetworkError},
  };
  for (const Case& c : cases) EXPECT_EQ(WindowsStatusOfRequest(c.command, c.result), c.expected) << c.what;
}

TEST(WindowsStatus, MapsSessionResponsesToWindowsCodes) {
  struct Case {
    SessionResponse response;
    NET_API_STATUS expected;
  };
  const Case cases[] = {
      {{SessionAnswer::kPositive, 0}, NERR_Success},
      {{SessionAnswer::kNegative, kNotListeningOnCalledName}, NERR_NameNotFound},
      {{SessionAnswer::kNegative, kCalledNameNotPresent}, NERR_NameNotFound},
      {{SessionAnswer::kNegative, kNotListeningForCallingName}, NERR_NetworkError},
      {{SessionAnswer::kNegative, kInsufficientResources}, NERR_NetworkError},
      {{SessionAnswer::kNegative, kUnspecifiedError}, NERR_NetworkError},
      {{SessionAnswer::kRetarget, 0}, NERR_NetworkError},
      {{SessionAnswer::kMalformed, 0}, NERR_NetworkError},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsStatusOf(c.response), c.expected)
        << static_cast<int>(c.response.answer) << " " << static_cast<int>(c.response.error);
  }
}

}  // namespace
}  // namespace wirenote::messenger
