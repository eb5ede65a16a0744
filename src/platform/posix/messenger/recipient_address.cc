#include "messenger/recipient_address.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "messenger/socket_io.h"

namespace wirenote::messenger {
namespace {

constexpr std::uint8_t kThisNetwork = 0;          // 0.0.0.0/8
constexpr std::uint8_t kMulticastHighBits = 0xE0;  // 224.0.0.0/4 ...
constexpr std::uint8_t kMulticastMask = 0xF0;      // ... by its first four bits
constexpr Ipv4Address kLimitedBroadcast = {255, 255, 255, 255};
// A datagram socket's connect sends nothing; any port does.
constexpr std::uint16_t kProbePort = 137;

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) {
  return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsNumericPart(std::string_view part) {
  if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    part.remove_prefix(2);
    for (const char c : part) {
      if (!IsHexDigit(c)) return false;
    }
    return true;
  }
  for (const char c : part) {
    if (!IsDecimalDigit(c)) return false;
  }
  return true;
}

// The kernel refuses to connect a datagram socket without SO_BROADCAST to
// an address its routes call a broadcast: every subnet's broadcast address
// on every interface, however the networks are cut.
bool IsBroadcastByRoute(const Ipv4Address& address) {
  const Descriptor probe(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!probe.ok()) return false;
  const sockaddr_in peer = SocketAddress(address, kProbePort);
  return connect(probe.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0 &&
         errno == EACCES;
}

}  // namespace

std::optional<Ipv4Address> ParseIpv4Literal(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string terminated(text);
  in_addr address{};
  if (inet_pton(AF_INET, terminated.c_str(), &address) != 1) {
    return std::nullopt;
  }
  Ipv4Address ipv4;
  std::memcpy(ipv4.data(), &address, ipv4.size());
  return ipv4;
}

bool IsNumericSpelling(std::string_view text) {
  if (text.empty()) return false;
  for (;;) {
    const std::size_t dot = text.find('.');
    if (!IsNumericPart(text.substr(0, dot))) return false;
    if (dot == std::string_view::npos) return true;
    text.remove_prefix(dot + 1);
  }
}

bool IsUnicastDestination(const Ipv4Address& address) {
  if (address[0] == kThisNetwork) return false;
  if ((address[0] & kMulticastMask) == kMulticastHighBits) return false;
  if (address == kLimitedBroadcast) return false;
  return !IsBroadcastByRoute(address);
}

}  // namespace wirenote::messenger
