// NetMessageBufferSend with the client's parameters open, so that tests can
// point it at receivers of their own. Defined beside PosixPlatform's
// NetMessageBufferSend, which calls it with the defaults.
#pragma once

#include "posix_back.h"

#include "messenger/messenger_client.h"
#include "win_types.h"

namespace wirenote::messenger {

NET_API_STATUS NetMessageBufferSendWith(const MessengerConfig& config, const WCHAR* server_name,
                                        const WCHAR* message_name, const WCHAR* from_name,
                                        const BYTE* buffer, DWORD buffer_bytes);

}  // namespace wirenote::messenger
