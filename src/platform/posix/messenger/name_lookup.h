// Finding the recipient on the network: the address a NetBIOS name answers
// from (broadcast name query, then the system resolver) and the messenger
// name a host at an address reports (node status). Only addresses of single
// hosts are ever taken (recipient_address.h, which also reads a recipient
// given as an address). The packets are built and read by the wire layer;
// this is the socket side, waiting at most until the deadline given.
#pragma once

#include "posix_back.h"

#include <optional>
#include <string>

#include "messenger/messenger_config.h"
#include "messenger/recipient_address.h"
#include "messenger/socket_io.h"
#include "messenger_wire/netbios_name.h"

namespace wirenote::messenger {

// The unique address `name` answers from to a name query broadcast where
// `config` says; none when nobody answers in time.
std::optional<Ipv4Address> QueryByBroadcast(const MessengerConfig& config, const NetbiosName& name,
                                            Clock::time_point deadline);

// The messenger name of the host at `address`, by a node status request;
// none when it does not answer or holds no such name.
std::optional<NetbiosName> QueryMessengerName(const MessengerConfig& config,
                                              const Ipv4Address& address,
                                              Clock::time_point deadline);

// The system resolver, for IPv4 only, given no more than the time left. A
// lookup still running then is abandoned to the resolver's own thread.
std::optional<Ipv4Address> ResolveBySystem(const std::string& name, Clock::time_point deadline);

}  // namespace wirenote::messenger
