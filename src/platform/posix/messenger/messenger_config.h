// Where and how long the messenger client talks: the one set of knobs that
// every socket-side piece of the client reads.
#pragma once

#include "posix_back.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wirenote::messenger {

using Ipv4Address = std::array<std::uint8_t, 4>;

// The program always uses the defaults; tests point the client at receivers
// of their own.
struct MessengerConfig {
  std::uint16_t session_port = 139;
  std::uint16_t name_service_port = 137;
  // The whole send, from the first name query to the last reply.
  std::chrono::milliseconds deadline{10000};
  // Name queries are repeated this far apart, and answers awaited this long
  // in all, before the next way of finding the recipient is tried.
  std::chrono::milliseconds name_query_interval{500};
  std::chrono::milliseconds name_query_time{1500};
  std::chrono::milliseconds node_status_interval{500};
  std::chrono::milliseconds node_status_time{1500};
  // Where name queries are broadcast; none: on every up, broadcast-capable
  // IPv4 interface.
  std::optional<std::vector<Ipv4Address>> broadcast_addresses;
  // Whether a name nobody answers for is then asked of the system resolver.
  bool use_system_resolver = true;
  // This computer's name as calling name and originator; empty: the host name.
  std::string computer_name;
};

}  // namespace wirenote::messenger
