// What a recipient written as numbers means, and which addresses the client
// may connect to at all. A recipient is an address only when it is a strict
// dotted quad; anything else made of numbers would be read by the system
// resolver with inet_aton's rules (octal for a leading zero, hex after 0x,
// fewer than four parts) and reach a host the user never wrote, so it is no
// recipient at all. And an address that stands for no single host (the
// unspecified 0.0.0.0/8, which the system takes for this machine; multicast;
// broadcast) is never connected to, however it was learnt.
#pragma once

#include "posix_back.h"

#include <optional>
#include <string_view>

#include "messenger/messenger_config.h"

namespace wirenote::messenger {

// The address `text` spells as a strict dotted quad (four decimal parts of
// 0 to 255, no leading zeros), and nothing else.
std::optional<Ipv4Address> ParseIpv4Literal(std::string_view text);

// Whether `text` is made only of dots and parts of decimal digits or of 0x
// (or 0X) and hex digits: what the system might read as an address.
bool IsNumericSpelling(std::string_view text);

// Whether `address` is one host's: not in 0.0.0.0/8, not multicast, not the
// limited broadcast, and not a broadcast address of a network this machine
// is on (the kernel's routes say which).
bool IsUnicastDestination(const Ipv4Address& address);

}  // namespace wirenote::messenger
