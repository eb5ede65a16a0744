#include "messenger/datagram_exchange.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace wirenote::messenger {
namespace {

// Datagrams larger than this are no answer of ours anyway.
constexpr std::size_t kDatagramBytes = 8192;

}  // namespace

bool ExchangeDatagrams(DatagramChannel& channel, std::chrono::milliseconds interval,
                       Clock::time_point until, const std::function<bool(ByteSpan)>& accept) {
  std::vector<std::uint8_t> datagram(kDatagramBytes);
  auto next_try = Clock::now();
  for (;;) {
    const auto now = Clock::now();
    if (now >= until) return false;
    if (now >= next_try) {
      if (!channel.Send()) return false;
      next_try = now + interval;
    }
    const Receipt receipt = channel.Receive(datagram);
    if (receipt.kind == Receipt::Kind::kRefused) return false;
    if (receipt.kind == Receipt::Kind::kDatagram) {
      if (accept(ByteSpan(datagram.data(), std::min(receipt.size, datagram.size())))) return true;
      continue;
    }
    if (!channel.Wait(std::min(next_try, until))) return false;
  }
}

bool UdpChannel::Send() {
  if (connected()) {
    return !(send(fd_, request_.data(), request_.size(), MSG_NOSIGNAL) < 0 && errno == ECONNREFUSED);
  }
  // An interface that cannot send does not stop the others.
  for (const sockaddr_in& destination : destinations_) {
    sendto(fd_, request_.data(), request_.size(), MSG_NOSIGNAL,
           reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
  }
  return true;
}

Receipt UdpChannel::Receive(std::span<std::uint8_t> buffer) {
  for (;;) {
    const ssize_t received = recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (received >= 0) return {Receipt::Kind::kDatagram, static_cast<std::size_t>(received)};
    if (errno == EINTR) continue;
    if (connected() && errno == ECONNREFUSED) return {Receipt::Kind::kRefused, 0};
    return {};
  }
}

bool UdpChannel::Wait(Clock::time_point until) { return WaitFor(fd_, POLLIN, until) >= 0; }

}  // namespace wirenote::messenger
