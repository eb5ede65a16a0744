// Asking by datagram and waiting for the answer: the request goes out once
// every interval and each datagram that comes back is offered to the
// caller, until one is taken or the time is up. The clock is read at every
// datagram, not only when none is waiting, so a peer that keeps the socket
// full neither stretches the wait nor holds back the repeated requests.
#pragma once

#include "posix_back.h"

#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "messenger/socket_io.h"
#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger {

// What a look at the socket found.
struct Receipt {
  enum class Kind {
    kDatagram,  // `size` bytes of one datagram
    kNothing,   // nothing is waiting
    kRefused,   // the peer refused the request: no answer will come
  };
  Kind kind = Kind::kNothing;
  std::size_t size = 0;
};

// The socket's side of an exchange; tests put peers of their own behind it.
class DatagramChannel {
 public:
  virtual ~DatagramChannel() = default;
  // Sends the request once (to every destination); false when the peer has
  // refused it.
  virtual bool Send() = 0;
  // A datagram that has already come, into `buffer`, without waiting.
  virtual Receipt Receive(std::span<std::uint8_t> buffer) = 0;
  // Waits until a datagram may have come, at most until `until`; false when
  // waiting itself fails.
  virtual bool Wait(Clock::time_point until) = 0;
};

// Whether `accept` took a datagram before `until`.
bool ExchangeDatagrams(DatagramChannel& channel, std::chrono::milliseconds interval,
                       Clock::time_point until, const std::function<bool(ByteSpan)>& accept);

// A UDP socket as the channel: sending `request` to every destination, or,
// with none, to the peer the socket is connected to, whose refusal (an ICMP
// port unreachable) then ends the exchange.
class UdpChannel final : public DatagramChannel {
 public:
  UdpChannel(int fd, std::vector<sockaddr_in> destinations, ByteSpan request)
      : fd_(fd), destinations_(std::move(destinations)), request_(request) {}
  bool Send() override;
  Receipt Receive(std::span<std::uint8_t> buffer) override;
  bool Wait(Clock::time_point until) override;

 private:
  bool connected() const { return destinations_.empty(); }

  int fd_;
  std::vector<sockaddr_in> destinations_;
  ByteSpan request_;
};

}  // namespace wirenote::messenger
