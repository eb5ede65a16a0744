#include "messenger/name_lookup.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "messenger/datagram_exchange.h"
#include "messenger/recipient_address.h"
#include "messenger_wire/name_service.h"

namespace wirenote::messenger {
namespace {

std::uint16_t NewTransactionId() {
  std::random_device random;
  return static_cast<std::uint16_t>(random());
}

std::vector<sockaddr_in> InterfaceBroadcastAddresses(std::uint16_t port) {
  std::vector<sockaddr_in> destinations;
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return destinations;
  for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_BROADCAST) == 0) continue;
    if (entry->ifa_broadaddr == nullptr || entry->ifa_broadaddr->sa_family != AF_INET) continue;
    sockaddr_in destination;
    std::memcpy(&destination, entry->ifa_broadaddr, sizeof destination);
    destination.sin_port = htons(port);
    const bool known = std::any_of(destinations.begin(), destinations.end(), [&](const sockaddr_in& d) {
      return d.sin_addr.s_addr == destination.sin_addr.s_addr;
    });
    if (!known) destinations.push_back(destination);
  }
  freeifaddrs(interfaces);
  return destinations;
}

}  // namespace

std::optional<Ipv4Address> QueryByBroadcast(const MessengerConfig& config, const NetbiosName& name,
                                            Clock::time_point deadline) {
  std::vector<sockaddr_in> destinations;
  if (config.broadcast_addresses) {
    for (const Ipv4Address& address : *config.broadcast_addresses) {
      destinations.push_back(SocketAddress(address, config.name_service_port));
    }
  } else {
    destinations = InterfaceBroadcastAddresses(config.name_service_port);
  }
  if (destinations.empty()) return std::nullopt;

  Descriptor socket_fd(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  const int enable = 1;
  if (!socket_fd.ok() ||
      setsockopt(socket_fd.get(), SOL_SOCKET, SO_BROADCAST, &enable, sizeof enable) != 0) {
    return std::nullopt;
  }
  const std::uint16_t transaction_id = NewTransactionId();
  const Bytes request = BuildNameQuery(transaction_id, name, true);
  UdpChannel channel(socket_fd.get(), std::move(destinations), request);
  std::optional<Ipv4Address> found;
  // Repeated answers and answers to other queries are passed over, and so
  // are addresses that are no single host's.
  ExchangeDatagrams(channel, config.name_query_interval,
                    std::min(Clock::now() + config.name_query_time, deadline),
                    [&](ByteSpan datagram) {
                      const auto response = ParseNameQueryResponse(datagram);
                      if (!response || response->transaction_id != transaction_id ||
                          response->rcode != 0 || (response->name && *response->name != name)) {
                        return false;
                      }
                      for (const NameAddress& address : response->addresses) {
                        if (!address.group && IsUnicastDestination(address.ipv4)) {
                          found = address.ipv4;
                          return true;
                        }
                      }
                      return false;
                    });
  return found;
}

std::optional<NetbiosName> QueryMessengerName(const MessengerConfig& config,
                                              const Ipv4Address& address,
                                              Clock::time_point deadline) {
  Descriptor socket_fd(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  const sockaddr_in peer = SocketAddress(address, config.name_service_port);
  if (!socket_fd.ok() ||
      connect(socket_fd.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    return std::nullopt;
  }
  const std::uint16_t transaction_id = NewTransactionId();
  const Bytes request = BuildNodeStatusRequest(transaction_id);
  UdpChannel channel(socket_fd.get(), {}, request);
  std::optional<NetbiosName> found;
  ExchangeDatagrams(channel, config.node_status_interval,
                    std::min(Clock::now() + config.node_status_time, deadline),
                    [&](ByteSpan datagram) {
                      const auto response = ParseNodeStatusResponse(datagram);
                      if (!response || response->transaction_id != transaction_id) return false;
                      found = MessengerNameIn(*response);
                      return true;
                    });
  return found;
}

std::optional<Ipv4Address> ResolveBySystem(const std::string& name, Clock::time_point deadline) {
  struct Lookup {
    std::string name;
    addrinfo hints{};
    gaicb request{};
  };
  auto lookup = std::make_unique<Lookup>();
  lookup->name = name;
  lookup->hints.ai_family = AF_INET;
  lookup->hints.ai_socktype = SOCK_STREAM;
  lookup->request.ar_name = lookup->name.c_str();
  lookup->request.ar_request = &lookup->hints;
  gaicb* requests[] = {&lookup->request};
  if (getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr) != 0) return std::nullopt;

  while (gai_error(&lookup->request) == EAI_INPROGRESS) {
    const auto left = std::chrono::ceil<std::chrono::nanoseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      const int cancelled = gai_cancel(&lookup->request);
      if (cancelled == EAI_ALLDONE) break;
      if (cancelled == EAI_NOTCANCELED) lookup.release();  // still the resolver's
      return std::nullopt;
    }
    const timespec wait{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
    gai_suspend(requests, 1, &wait);
  }
  if (gai_error(&lookup->request) != 0) return std::nullopt;
  std::optional<Ipv4Address> found;
  for (const addrinfo* entry = lookup->request.ar_result; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    sockaddr_in address;
    std::memcpy(&address, entry->ai_addr, sizeof address);
    Ipv4Address ipv4;
    std::memcpy(ipv4.data(), &address.sin_addr, ipv4.size());
    // A hosts file may map a name to 0.0.0.0 (to block it) or to a broadcast.
    if (!IsUnicastDestination(ipv4)) continue;
    found = ipv4;
    break;
  }
  freeaddrinfo(lookup->request.ar_result);
  return found;
}

}  // namespace wirenote::messenger
