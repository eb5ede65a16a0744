#include "fake_receiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "messenger_wire/session_service.h"

namespace wirenote::messenger::testing {
namespace {

// However a test goes wrong, no receiver waits longer than this.
constexpr int kPatienceMs = 5000;

int BoundLoopbackSocket(int type, std::uint16_t* port, std::uint32_t host = INADDR_LOOPBACK) {
  const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(host);
  address.sin_port = htons(*port);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(fd);
    throw std::runtime_error("bind");
  }
  *port = ntohs(address.sin_port);
  return fd;
}

bool WaitReadable(int fd, int timeout_ms) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, timeout_ms) > 0;
}

using FloodClock = std::chrono::steady_clock;

FloodClock::time_point FloodEnd() { return FloodClock::now() + std::chrono::milliseconds(kFloodLimitMs); }

// Copies of `unit` back to back, enough to keep a socket's buffer full with
// few calls.
Bytes Repeated(const Bytes& unit, std::size_t at_least) {
  Bytes all;
  if (unit.empty()) return all;
  while (all.size() < at_least) all.insert(all.end(), unit.begin(), unit.end());
  return all;
}

}  // namespace

bool FakeConnection::Fill(std::size_t bytes) {
  while (pending_.size() < bytes) {
    if (fd_ < 0 || !WaitReadable(fd_, kPatienceMs)) return false;
    std::uint8_t chunk[4096];
    const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    pending_.insert(pending_.end(), chunk, chunk + got);
  }
  return true;
}

bool FakeConnection::Read(ReceivedFrame* frame) {
  for (;;) {
    const SplitResult split = SplitFrame(pending_);
    if (split.status == FrameStatus::kMalformed) return false;
    if (split.status == FrameStatus::kComplete) {
      frame->type = split.frame.type;
      frame->payload.assign(split.frame.payload.begin(), split.frame.payload.end());
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(split.frame.size));
      frames.push_back(*frame);
      return true;
    }
    if (!Fill(pending_.size() + 1)) return false;
  }
}

void FakeConnection::Write(const Bytes& bytes) {
  if (fd_ >= 0) send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void FakeConnection::Flood(const Bytes& unit) {
  const Bytes burst = Repeated(unit, 64 * 1024);
  const auto end = FloodEnd();
  std::size_t at = 0;
  while (fd_ >= 0 && !burst.empty() && FloodClock::now() < end) {
    pollfd entry{fd_, POLLOUT, 0};
    if (poll(&entry, 1, 100) <= 0) continue;
    const ssize_t sent = send(fd_, burst.data() + at, burst.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return;  // the client has gone
    }
    at = (at + static_cast<std::size_t>(sent)) % burst.size();
  }
}

void FakeConnection::WaitForClose() {
  ReceivedFrame ignored;
  while (Read(&ignored)) {
  }
}

void FakeConnection::Close(bool reset) {
  if (fd_ < 0) return;
  if (reset) {
    const linger abort{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  }
  close(fd_);
  fd_ = -1;
}

FakeSessionReceiver::FakeSessionReceiver(Script script, std::uint32_t host, std::uint16_t port)
    : port_(port) {
  listener_ = BoundLoopbackSocket(SOCK_STREAM, &port_, host);
  if (listen(listener_, 1) != 0) throw std::runtime_error("listen");
  thread_ = std::thread([this, script = std::move(script)] {
    if (!WaitReadable(listener_, kPatienceMs)) return;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    connected_ = true;
    FakeConnection connection(fd);
    script(connection);
    // Whatever the script left unread still counts as sent.
    connection.WaitForClose();
    connection.Close();
    frames_ = std::move(connection.frames);
  });
}

FakeSessionReceiver::~FakeSessionReceiver() {
  // A client that never came should not keep the test waiting.
  shutdown(listener_, SHUT_RDWR);
  if (thread_.joinable()) thread_.join();
  close(listener_);
}

const std::vector<ReceivedFrame>& FakeSessionReceiver::Frames() {
  if (!joined_) {
    shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    joined_ = true;
  }
  return frames_;
}

bool FakeSessionReceiver::connected() {
  Frames();
  return connected_;
}

FakeNameService::FakeNameService(Responder responder, Responder flooder, std::uint32_t host,
                                 std::uint16_t port)
    : port_(port) {
  fd_ = BoundLoopbackSocket(SOCK_DGRAM, &port_, host);
  const bool floods = static_cast<bool>(flooder);
  thread_ = std::thread([this, responder = std::move(responder), flooder = std::move(flooder)] {
    while (!stop_) {
      if (!WaitReadable(fd_, 20)) continue;
      std::uint8_t datagram[2048];
      sockaddr_in from{};
      socklen_t from_size = sizeof from;
      const ssize_t got = recvfrom(fd_, datagram, sizeof datagram, MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &from_size);
      if (got < 0) continue;
      const Bytes request(datagram, datagram + got);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      for (const Bytes& answer : responder(request)) {
        sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), from_size);
      }
      if (flooder) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (flood_.datagrams.empty()) flood_.end = FloodEnd();
        flood_.datagrams = flooder(request);
        flood_.to = from;
        ++flood_.generation;
      }
    }
  });
  if (!floods) return;
  for (std::thread& thread : flood_threads_) {
    thread = std::thread([this] {
      FloodTarget target;
      std::vector<mmsghdr> messages;
      std::vector<iovec> parts;
      while (!stop_) {
        {
          std::lock_guard<std::mutex> lock(mutex_);
          if (flood_.generation != target.generation) target = flood_;
        }
        if (target.datagrams.empty() || FloodClock::now() >= target.end) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
          continue;
        }
        // Many datagrams a call: the flood must outrun a client that reads
        // them one at a time.
        constexpr std::size_t kBurst = 64;
        messages.assign(kBurst * target.datagrams.size(), mmsghdr{});
        parts.resize(messages.size());
        for (std::size_t i = 0; i < messages.size(); ++i) {
          Bytes& datagram = target.datagrams[i % target.datagrams.size()];
          parts[i] = {datagram.data(), datagram.size()};
          messages[i].msg_hdr.msg_name = &target.to;
          messages[i].msg_hdr.msg_namelen = sizeof target.to;
          messages[i].msg_hdr.msg_iov = &parts[i];
          messages[i].msg_hdr.msg_iovlen = 1;
        }
        sendmmsg(fd_, messages.data(), static_cast<unsigned>(messages.size()), MSG_DONTWAIT);
      }
    });
  }
}

FakeNameService::~FakeNameService() {
  stop_ = true;
  thread_.join();
  for (std::thread& thread : flood_threads_) {
    if (thread.joinable()) thread.join();
  }
  close(fd_);
}

std::vector<Bytes> FakeNameService::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

ClosedPort::ClosedPort() { fd_ = BoundLoopbackSocket(SOCK_STREAM, &port_); }

ClosedPort::~ClosedPort() { close(fd_); }

std::uint16_t UnboundUdpPort() {
  std::uint16_t port = 0;
  close(BoundLoopbackSocket(SOCK_DGRAM, &port));
  return port;
}

}  // namespace wirenote::messenger::testing
