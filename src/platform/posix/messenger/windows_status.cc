#include "messenger/windows_status.h"

#include <cerrno>

namespace wirenote::messenger {
namespace {

// Errors on an open session: the network failed the conversation.
NET_API_STATUS StatusOfSystemError(int error) {
  switch (error) {
    case ECONNRESET:
    case ECONNABORTED:
    case ECONNREFUSED:
    case EPIPE:
    case ETIMEDOUT:
    case ENETUNREACH:
    case ENETDOWN:
    case ENETRESET:
    case EHOSTUNREACH:
    case EHOSTDOWN:
      return NERR_NetworkError;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace

NET_API_STATUS WindowsStatusOf(const SmbReply& reply) {
  if (reply.status == 0) return NERR_Success;
  if (HasNtStatus(reply)) {
    switch (reply.status) {
      case kStatusRequestNotAccepted:
      case kStatusNotSupported:
        return ERROR_NOT_SUPPORTED;
      case kStatusAccessDenied:
        return ERROR_ACCESS_DENIED;
      case kStatusInvalidParameter:
        return ERROR_INVALID_PARAMETER;
      default:
        return ERROR_GEN_FAILURE;
    }
  }
  const DosError error = DosErrorOf(reply.status);
  if (error.error_class == kClassErrDos) {
    switch (error.code) {
      case kErrDosRequestNotAccepted: return ERROR_NOT_SUPPORTED;
      case kErrDosAccessDenied: return ERROR_ACCESS_DENIED;
      case kErrDosInvalidParameter: return ERROR_INVALID_PARAMETER;
      default: break;
    }
  } else if (error.error_class == kClassErrSrv) {
    switch (error.code) {
      case kErrSrvMessagesOff: return ERROR_NOT_SUPPORTED;
      case kErrSrvAccessDenied: return ERROR_ACCESS_DENIED;
      default: break;
    }
  }
  return ERROR_GEN_FAILURE;
}

NET_API_STATUS WindowsStatusOf(const SessionResponse& response) {
  if (response.answer == SessionAnswer::kPositive) return NERR_Success;
  if (response.answer == SessionAnswer::kNegative &&
      (response.error == kNotListeningOnCalledName || response.error == kCalledNameNotPresent)) {
    return NERR_NameNotFound;
  }
  return NERR_NetworkError;
}

NET_API_STATUS WindowsStatusOf(const SessionResult& result) {
  switch (result.failure) {
    case SessionFailure::kNone:
      return NERR_Success;
    case SessionFailure::kSystem:
      return StatusOfSystemError(result.error);
    case SessionFailure::kTimedOut:
    case SessionFailure::kClosed:
    case SessionFailure::kCutShort:
    case SessionFailure::kMalformed:
      return NERR_NetworkError;
    case SessionFailure::kSetup:
    case SessionFailure::kWait:
      return ERROR_GEN_FAILURE;
  }
  return ERROR_GEN_FAILURE;
}

NET_API_STATUS WindowsStatusOfRequest(std::uint8_t command, const SessionResult& result) {
  const bool dropped =
      result.failure == SessionFailure::kClosed ||
      (result.failure == SessionFailure::kSystem &&
       (result.error == ECONNRESET || result.error == EPIPE || result.error == ECONNABORTED));
  if (command == kCommandSendStart && dropped) return ERROR_NOT_SUPPORTED;
  return WindowsStatusOf(result);
}

NET_API_STATUS WindowsStatusOfConnect(const SessionResult& result) {
  if (result.failure == SessionFailure::kSystem && result.error == ECONNREFUSED) {
    return NERR_NameNotFound;
  }
  return WindowsStatusOf(result);
}

}  // namespace wirenote::messenger
