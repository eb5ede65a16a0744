#include "messenger/netbios_session.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstddef>

#include "messenger_wire/session_service.h"

namespace wirenote::messenger {
namespace {

constexpr std::size_t kReceiveChunkBytes = 4096;

SessionResult Failed(SessionFailure failure, int error = 0) { return {failure, error}; }

// What a wait that saw no event means.
SessionResult WaitFailure(int events) {
  return Failed(events == 0 ? SessionFailure::kTimedOut : SessionFailure::kWait);
}

}  // namespace

SessionResult Session::Connect(const Ipv4Address& address, std::uint16_t port,
                               Clock::time_point deadline) {
  socket_ = Descriptor(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!socket_.ok()) return Failed(SessionFailure::kSetup);
  // Each request is one write that waits for its reply.
  const int enable = 1;
  setsockopt(socket_.get(), IPPROTO_TCP, TCP_NODELAY, &enable, sizeof enable);
  const sockaddr_in peer = SocketAddress(address, port);
  if (connect(socket_.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return {};
  if (errno != EINPROGRESS) return Failed(SessionFailure::kSystem, errno);
  const int events = WaitFor(socket_.get(), POLLOUT, deadline);
  if (events <= 0) return WaitFailure(events);
  int error = 0;
  socklen_t error_bytes = sizeof error;
  if (getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, &error, &error_bytes) != 0) {
    return Failed(SessionFailure::kSetup);
  }
  return error == 0 ? SessionResult{} : Failed(SessionFailure::kSystem, error);
}

SessionResult Session::Send(ByteSpan bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    if (Clock::now() >= deadline) return Failed(SessionFailure::kTimedOut);
    const ssize_t sent = send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(sent));
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Failed(SessionFailure::kSystem, errno);
    const int events = WaitFor(socket_.get(), POLLOUT, deadline);
    if (events <= 0) return WaitFailure(events);
  }
  return {};
}

SessionResult Session::ReadFrame(Clock::time_point deadline, std::uint8_t* type, Bytes* payload) {
  for (;;) {
    if (Clock::now() >= deadline) return Failed(SessionFailure::kTimedOut);
    const SplitResult split = SplitFrame(received_);
    if (split.status == FrameStatus::kMalformed) return Failed(SessionFailure::kMalformed);
    if (split.status == FrameStatus::kComplete) {
      const std::uint8_t frame_type = split.frame.type;
      payload->assign(split.frame.payload.begin(), split.frame.payload.end());
      received_.erase(received_.begin(),
                      received_.begin() + static_cast<std::ptrdiff_t>(split.frame.size));
      if (frame_type == kFrameKeepAlive) continue;
      *type = frame_type;
      return {};
    }
    const std::size_t had = received_.size();
    received_.resize(had + kReceiveChunkBytes);
    const ssize_t got = recv(socket_.get(), received_.data() + had, kReceiveChunkBytes, MSG_DONTWAIT);
    received_.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got > 0) continue;
    if (got == 0) return Failed(had == 0 ? SessionFailure::kClosed : SessionFailure::kCutShort);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      // A frame begun and then lost is cut short, however the loss came.
      return had == 0 ? Failed(SessionFailure::kSystem, errno) : Failed(SessionFailure::kCutShort);
    }
    const int events = WaitFor(socket_.get(), POLLIN, deadline);
    if (events <= 0) return WaitFailure(events);
  }
}

}  // namespace wirenote::messenger
