#include "messenger/socket_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace wirenote::messenger {

void Descriptor::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

sockaddr_in SocketAddress(const Ipv4Address& address, std::uint16_t port) {
  sockaddr_in socket_address{};
  socket_address.sin_family = AF_INET;
  socket_address.sin_port = htons(port);
  std::memcpy(&socket_address.sin_addr, address.data(), address.size());
  return socket_address;
}

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

}  // namespace wirenote::messenger
