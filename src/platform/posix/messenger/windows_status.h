// The client's decision of what each outcome of a send means to its caller:
// the Windows status code the messenger service gives for it. The wire
// layer only reads what a peer said; here it becomes a status.
#pragma once

#include "posix_back.h"

#include <cstdint>

#include "messenger/netbios_session.h"
#include "messenger_wire/session_service.h"
#include "messenger_wire/smb_message.h"
#include "win_types.h"

namespace wirenote::messenger {

// The status of an SMB reply: 0 for success, the codes the service reports
// for a refusal, ERROR_GEN_FAILURE for the rest.
NET_API_STATUS WindowsStatusOf(const SmbReply& reply);

// The answer to a session request: a peer that does not know the called
// name is as if the name were not there; any other refusal is the network's.
NET_API_STATUS WindowsStatusOf(const SessionResponse& response);

// A step on an open session.
NET_API_STATUS WindowsStatusOf(const SessionResult& result);

// Sending `command` and waiting for its reply. A receiver that took the
// session but drops the connection before any byte of the reply to
// SEND_START refuses the message commands (as receivers without SMB1 do):
// it does not take messages. Whether the drop shows as an orderly close or
// as a reset depends only on whether our request reached the peer before
// its close, so both mean the same here. A frame cut short, a time-out,
// and a drop at any later command are the network's failure, as above.
NET_API_STATUS WindowsStatusOfRequest(std::uint8_t command, const SessionResult& result);

// Connecting the session: a refused connection means nobody takes sessions
// at the address, as if the name were not there.
NET_API_STATUS WindowsStatusOfConnect(const SessionResult& result);

}  // namespace wirenote::messenger
