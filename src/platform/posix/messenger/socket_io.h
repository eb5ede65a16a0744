// What every socket of the messenger client needs: a descriptor that is
// closed exactly once, a bounded wait for it, and the address to reach.
#pragma once

#include "posix_back.h"

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <utility>

#include "messenger/messenger_config.h"

namespace wirenote::messenger {

using Clock = std::chrono::steady_clock;

// Owns one descriptor: it can be moved but never copied, so it is closed
// once, by its last owner.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

 private:
  void Close();

  int fd_ = -1;
};

// `address` and `port` as a socket address.
sockaddr_in SocketAddress(const Ipv4Address& address, std::uint16_t port);

// Waits for `events` until `until`: the events seen, 0 when the time is up,
// -1 when poll itself fails.
int WaitFor(int fd, short events, Clock::time_point until);

}  // namespace wirenote::messenger
