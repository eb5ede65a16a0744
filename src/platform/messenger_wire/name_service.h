// The name service on UDP 137: building name queries and node status
// requests, and reading their answers. The readers are pure functions of the
// packet's bytes; whatever arrives, they only ever say "this is it" or "no".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "messenger_wire/netbios_name.h"
#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger {

inline constexpr std::size_t kNameServiceHeaderBytes = 12;
inline constexpr std::uint16_t kFlagResponse = 0x8000;
inline constexpr std::uint16_t kOpcodeMask = 0x7800;
inline constexpr std::uint16_t kFlagRecursionDesired = 0x0100;
inline constexpr std::uint16_t kFlagBroadcast = 0x0010;
inline constexpr std::uint16_t kRcodeMask = 0x000F;
inline constexpr std::uint16_t kTypeNb = 0x0020;
inline constexpr std::uint16_t kTypeNbstat = 0x0021;
inline constexpr std::uint16_t kClassInternet = 0x0001;
inline constexpr std::uint16_t kNbFlagGroup = 0x8000;
inline constexpr std::size_t kNbAddressEntryBytes = 6;
inline constexpr std::size_t kNodeStatusEntryBytes = 18;

// A name query for `name`: broadcast on the LAN, or unicast to one host.
Bytes BuildNameQuery(std::uint16_t transaction_id, const NetbiosName& name, bool broadcast);

// A node status request: which names does the host at the other end hold?
Bytes BuildNodeStatusRequest(std::uint16_t transaction_id);

struct NameAddress {
  bool group = false;
  std::array<std::uint8_t, 4> ipv4{};
};

struct NameQueryResponse {
  std::uint16_t transaction_id = 0;
  std::uint8_t rcode = 0;
  // The name the answer is about; none when it points back into the packet.
  std::optional<NetbiosName> name;
  std::vector<NameAddress> addresses;
};

// A response to a name query; none unless the packet is one, well formed.
// A negative response (rcode not 0) comes back with no addresses.
std::optional<NameQueryResponse> ParseNameQueryResponse(ByteSpan packet);

struct NodeStatusEntry {
  NetbiosName name{};
  std::uint16_t flags = 0;
};

struct NodeStatusResponse {
  std::uint16_t transaction_id = 0;
  std::vector<NodeStatusEntry> names;
};

// A positive response to a node status request; none for anything else.
std::optional<NodeStatusResponse> ParseNodeStatusResponse(ByteSpan packet);

// The host's messenger name: its unique name with suffix 0x03.
std::optional<NetbiosName> MessengerNameIn(const NodeStatusResponse& response);

}  // namespace wirenote::messenger
