// The messenger client: finds the recipient on the LAN and hands it one
// message over a NetBIOS session, answering with the Windows status code the
// messenger service gives for the outcome.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win_types.h"

namespace wirenote::messenger {

using Ipv4Address = std::array<std::uint8_t, 4>;

// Where and how long the client talks. The program always uses the
// defaults; tests point the client at receivers of their own.
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

// Sends `text` to `recipient`, both in code page 932. The recipient is a
// NetBIOS name of 1 to 15 bytes or an IPv4 address in dotted-quad form.
NET_API_STATUS SendNetMessage(const MessengerConfig& config, std::string_view recipient,
                              std::string_view text);

// The computer name a host name gives: its first label, ASCII letters
// upper-cased, at most 15 bytes.
std::string ComputerNameFromHostName(std::string_view host_name);

// The address `text` spells as a strict dotted quad, and nothing else.
std::optional<Ipv4Address> ParseIpv4Literal(std::string_view text);

}  // namespace wirenote::messenger
