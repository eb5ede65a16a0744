#include "messenger/messenger_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <random>

#include "messenger/name_service.h"
#include "messenger/netbios_name.h"
#include "messenger/session_service.h"
#include "messenger/smb_message.h"
#include "messenger/text_blocks.h"

namespace wirenote::messenger {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kFallbackServerName[] = "*SMBSERVER";
constexpr char kFallbackComputerName[] = "LOCALHOST";
// Datagrams larger than this are no answer of ours anyway.
constexpr std::size_t kDatagramBytes = 8192;
constexpr std::size_t kReceiveChunkBytes = 4096;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_;
};

sockaddr_in SocketAddress(const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in socket_address{};
  socket_address.sin_family = AF_INET;
  socket_address.sin_port = htons(port);
  std::memcpy(&socket_address.sin_addr, address.data(), address.size());
  return socket_address;
}

// Waits for `events` until `until`: the events seen, 0 when the time is up,
// -1 when poll itself fails.
int WaitFor(int fd, short events, Clock::time_point until) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return 0;
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (ready < 0 && errno != EINTR) return -1;
    if (ready > 0) return entry.revents;
  }
}

std::uint16_t NewTransactionId() {
  std::random_device random;
  return static_cast<std::uint16_t>(random());
}

// Sends `request` to every destination (or the connected peer) once per
// interval and hands each datagram that comes back to `accept` until it
// takes one or `until` passes. On a connected socket a refusal ends the wait.
template <typename Accept>
bool ExchangeDatagrams(int fd, const std::vector<sockaddr_in>& destinations, bool connected,
                       ByteSpan request, std::chrono::milliseconds interval,
                       Clock::time_point until, Accept accept) {
  std::vector<std::uint8_t> datagram(kDatagramBytes);
  auto next_try = Clock::now();
  for (;;) {
    const auto now = Clock::now();
    if (now >= until) return false;
    if (now >= next_try) {
      if (connected) {
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0 && errno == ECONNREFUSED) {
          return false;
        }
      } else {
        // An interface that cannot send does not stop the others.
        for (const sockaddr_in& destination : destinations) {
          sendto(fd, request.data(), request.size(), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
        }
      }
      next_try = now + interval;
    }
    const int events = WaitFor(fd, POLLIN, std::min(next_try, until));
    if (events < 0) return false;
    if (events == 0) continue;
    for (;;) {
      const ssize_t received = recv(fd, datagram.data(), datagram.size(), MSG_DONTWAIT);
      if (received < 0) {
        if (errno == EINTR) continue;
        if (connected && errno == ECONNREFUSED) return false;
        break;
      }
      if (accept(ByteSpan(datagram.data(), static_cast<std::size_t>(received)))) return true;
    }
  }
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
  std::optional<Ipv4Address> found;
  // Repeated answers and answers to other queries are passed over.
  ExchangeDatagrams(socket_fd.get(), destinations, false, request, config.name_query_interval,
                    std::min(Clock::now() + config.name_query_time, deadline),
                    [&](ByteSpan datagram) {
                      const auto response = ParseNameQueryResponse(datagram);
                      if (!response || response->transaction_id != transaction_id ||
                          response->rcode != 0 || (response->name && *response->name != name)) {
                        return false;
                      }
                      for (const NameAddress& address : response->addresses) {
                        if (!address.group) {
                          found = address.ipv4;
                          return true;
                        }
                      }
                      return false;
                    });
  return found;
}

// The messenger name of the host at `address`, by a node status request;
// none when it does not answer or holds no such name.
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
  std::optional<NetbiosName> found;
  ExchangeDatagrams(socket_fd.get(), {}, true, request, config.node_status_interval,
                    std::min(Clock::now() + config.node_status_time, deadline),
                    [&](ByteSpan datagram) {
                      const auto response = ParseNodeStatusResponse(datagram);
                      if (!response || response->transaction_id != transaction_id) return false;
                      found = MessengerNameIn(*response);
                      return true;
                    });
  return found;
}

// The system resolver, for IPv4 only, given no more than the time left. A
// lookup still running then is abandoned to the resolver's own thread.
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
    found = ipv4;
    break;
  }
  freeaddrinfo(lookup->request.ar_result);
  return found;
}

// Errors on an open session: the network failed the conversation.
NET_API_STATUS StatusOfSessionError(int error) {
  switch (error) {
    case ECONNRESET:
    case ECONNABORTED:
    case ECONNREFUSED:
    case EPIPE:
    case ETIMEDOUT:
    case ENETUNREACH:
    case ENETDOWN:
    case ENETRESET:
    case EHOSTUNREACH:
    case EHOSTDOWN:
      return NERR_NetworkError;
    default:
      return ERROR_GEN_FAILURE;
  }
}

class Session {
 public:
  NET_API_STATUS Connect(const Ipv4Address& address, std::uint16_t port,
                         Clock::time_point deadline) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return ERROR_GEN_FAILURE;
    // Each request is one write that waits for its reply.
    const int enable = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &enable, sizeof enable);
    const sockaddr_in peer = SocketAddress(address, port);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return NERR_Success;
    if (errno != EINPROGRESS) return StatusOfConnectError(errno);
    const int events = WaitFor(fd_, POLLOUT, deadline);
    if (events == 0) return NERR_NetworkError;
    if (events < 0) return ERROR_GEN_FAILURE;
    int error = 0;
    socklen_t error_bytes = sizeof error;
    if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &error_bytes) != 0) return ERROR_GEN_FAILURE;
    return error == 0 ? NERR_Success : StatusOfConnectError(error);
  }

  ~Session() {
    if (fd_ >= 0) close(fd_);
  }

  NET_API_STATUS Send(ByteSpan bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
      const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent >= 0) {
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
        continue;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return StatusOfSessionError(errno);
      const int events = WaitFor(fd_, POLLOUT, deadline);
      if (events == 0) return NERR_NetworkError;
      if (events < 0) return ERROR_GEN_FAILURE;
    }
    return NERR_Success;
  }

  // The next frame that is not a keep-alive.
  NET_API_STATUS ReadFrame(Clock::time_point deadline, std::uint8_t* type, Bytes* payload) {
    for (;;) {
      const SplitResult split = SplitFrame(received_);
      if (split.status == FrameStatus::kMalformed) return NERR_NetworkError;
      if (split.status == FrameStatus::kComplete) {
        const std::uint8_t frame_type = split.frame.type;
        payload->assign(split.frame.payload.begin(), split.frame.payload.end());
        received_.erase(received_.begin(),
                        received_.begin() + static_cast<std::ptrdiff_t>(split.frame.size));
        if (frame_type == kFrameKeepAlive) continue;
        *type = frame_type;
        return NERR_Success;
      }
      const std::size_t had = received_.size();
      received_.resize(had + kReceiveChunkBytes);
      const ssize_t got = recv(fd_, received_.data() + had, kReceiveChunkBytes, MSG_DONTWAIT);
      received_.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
      if (got > 0) continue;
      if (got == 0) return NERR_NetworkError;  // closed before the frame was complete
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return StatusOfSessionError(errno);
      const int events = WaitFor(fd_, POLLIN, deadline);
      if (events == 0) return NERR_NetworkError;
      if (events < 0) return ERROR_GEN_FAILURE;
    }
  }

 private:
  // Nobody takes sessions at the address: as if the name were not there.
  static NET_API_STATUS StatusOfConnectError(int error) {
    return error == ECONNREFUSED ? NERR_NameNotFound : StatusOfSessionError(error);
  }

  int fd_ = -1;
  Bytes received_;
};

NET_API_STATUS OpenSession(Session& session, const NetbiosName& called, const NetbiosName& calling,
                           Clock::time_point deadline) {
  NET_API_STATUS status = session.Send(BuildSessionRequest(called, calling), deadline);
  if (status != NERR_Success) return status;
  std::uint8_t type = 0;
  Bytes payload;
  status = session.ReadFrame(deadline, &type, &payload);
  if (status != NERR_Success) return status;
  const SessionResponse response = ParseSessionResponse(Frame{type, payload, 0});
  if (response.answer == SessionAnswer::kPositive) return NERR_Success;
  if (response.answer == SessionAnswer::kNegative &&
      (response.error == kNotListeningOnCalledName || response.error == kCalledNameNotPresent)) {
    return NERR_NameNotFound;
  }
  return NERR_NetworkError;
}

// One request and the reply that matches it by command and message id.
NET_API_STATUS Transact(Session& session, std::uint8_t command, std::uint16_t mid,
                        const Bytes& request, Clock::time_point deadline, SmbReply* reply) {
  NET_API_STATUS status = session.Send(BuildSessionMessage(request), deadline);
  if (status != NERR_Success) return status;
  std::uint8_t type = 0;
  Bytes payload;
  status = session.ReadFrame(deadline, &type, &payload);
  if (status != NERR_Success) return status;
  if (type != kFrameSessionMessage) return NERR_NetworkError;
  std::optional<SmbReply> parsed = ParseSmbReply(payload);
  if (!parsed || parsed->command != command || parsed->mid != mid) {
    return NERR_NetworkError;
  }
  *reply = std::move(*parsed);
  return WindowsStatusOf(*reply);
}

std::string LocalComputerName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return ComputerNameFromHostName(host);
}

}  // namespace

std::string ComputerNameFromHostName(std::string_view host_name) {
  std::string name = UpperCaseOem(host_name.substr(0, host_name.find('.')));
  if (name.size() > kNetbiosNameTextBytes) name.resize(kNetbiosNameTextBytes);
  return name.empty() ? kFallbackComputerName : name;
}

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

NET_API_STATUS SendNetMessage(const MessengerConfig& config, std::string_view recipient,
                              std::string_view text) {
  const auto deadline = Clock::now() + config.deadline;
  if (recipient.empty() || recipient.size() > kNetbiosNameTextBytes) return ERROR_INVALID_PARAMETER;

  Ipv4Address address;
  NetbiosName called;
  if (const auto literal = ParseIpv4Literal(recipient)) {
    address = *literal;
    const auto messenger_name = QueryMessengerName(config, address, deadline);
    called = messenger_name ? *messenger_name
                            : *MakeNetbiosName(kFallbackServerName, kSuffixFileServer);
  } else {
    called = *MakeNetbiosName(recipient, kSuffixMessenger);
    auto found = QueryByBroadcast(config, called, deadline);
    if (!found && config.use_system_resolver) found = ResolveBySystem(std::string(recipient), deadline);
    if (!found) return NERR_NameNotFound;
    address = *found;
  }

  const std::string computer_name = ComputerNameFromHostName(
      config.computer_name.empty() ? LocalComputerName() : config.computer_name);
  const NetbiosName calling = *MakeNetbiosName(computer_name, kSuffixWorkstation);

  Session session;
  NET_API_STATUS status = session.Connect(address, config.session_port, deadline);
  if (status == NERR_Success) status = OpenSession(session, called, calling, deadline);
  if (status != NERR_Success) return status;

  SmbIds ids{static_cast<std::uint16_t>(getpid()), 1};
  SmbReply reply;
  status = Transact(session, kCommandSendStart, ids.mid,
                    BuildSendStart(ids, computer_name, NetbiosNameText(called)), deadline, &reply);
  if (status != NERR_Success) return status;
  // Receivers that hand out a group id expect it back; others answer none.
  const std::uint16_t group_id = reply.words.empty() ? 0 : reply.words[0];
  for (const std::string_view block : SplitTextIntoBlocks(text, kMaxTextBlockBytes)) {
    ++ids.mid;
    status = Transact(session, kCommandSendText, ids.mid, BuildSendText(ids, group_id, block),
                      deadline, &reply);
    if (status != NERR_Success) return status;
  }
  ++ids.mid;
  return Transact(session, kCommandSendEnd, ids.mid, BuildSendEnd(ids, group_id), deadline,
                  &reply);
}

}  // namespace wirenote::messenger
