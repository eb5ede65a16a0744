// The messenger client: finds the recipient on the LAN and hands it one
// message over a NetBIOS session, answering with the Windows status code the
// messenger service gives for the outcome.
//
// This folder is the socket side; the protocol itself is not here. The
// packets and frames are built and read by pure functions of bytes in
// platform/messenger_wire (no sockets, no OS, no Windows types). Here:
//   socket_io          descriptors, bounded waits, socket addresses
//   recipient_address  what a recipient written as numbers means, and which
//                      addresses may be connected to at all
//   datagram_exchange  a request repeated and its answer awaited over UDP
//   name_lookup        finding the recipient: name query, node status, resolver
//   netbios_session    one TCP session: connect, send, read whole frames
//   windows_status     what every outcome means as a Windows status code
//   messenger_client   (this) ties them together into one send
#pragma once

#include "posix_back.h"

#include <optional>
#include <string>
#include <string_view>

#include "messenger/messenger_config.h"
#include "win_types.h"

namespace wirenote::messenger {

// Sends `text` to `recipient`, both in code page 932. The recipient is a
// NetBIOS name of 1 to 15 bytes or an IPv4 address in strict dotted-quad
// form; one written as a number in any other way is no recipient.
NET_API_STATUS SendNetMessage(const MessengerConfig& config, std::string_view recipient,
                              std::string_view text);

// The computer name a host name gives: its first label, ASCII letters
// upper-cased, at most 15 bytes.
std::string ComputerNameFromHostName(std::string_view host_name);

}  // namespace wirenote::messenger
