// Receivers on loopback for the messenger client to talk to: a session
// receiver on a TCP port and a name service on a UDP port, each on an
// ephemeral port of its own and run by a thread, each doing what the test
// tells it, faults included, and keeping what it was sent.
#pragma once

#include <netinet/in.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger::testing {

// However long a flood is meant to last, it stops after this: longer than any
// deadline of the program (10 s) with room to spare, so a client that does
// not bound its waits is seen to overrun them.
inline constexpr int kFloodLimitMs = 20000;

struct ReceivedFrame {
  std::uint8_t type = 0;
  Bytes payload;
};

// The receiver's end of one TCP connection.
class FakeConnection {
 public:
  explicit FakeConnection(int fd) : fd_(fd) {}
  // The next frame; false once the client has closed (or after 5 s).
  bool Read(ReceivedFrame* frame);
  void Write(const Bytes& bytes);
  // Sends `unit` over and over, as fast as the client takes it, until the
  // client goes away (or kFloodLimitMs passes).
  void Flood(const Bytes& unit);
  // Waits until the client closes its end (at most 5 s), answering nothing.
  void WaitForClose();
  // Closes at once; `reset` sends a reset instead of an orderly close.
  void Close(bool reset = false);
  std::vector<ReceivedFrame> frames;  // all that Read returned

 private:
  bool Fill(std::size_t bytes);
  int fd_;
  Bytes pending_;
};

// A TCP receiver that takes one connection and runs `script` on it.
class FakeSessionReceiver {
 public:
  using Script = std::function<void(FakeConnection&)>;
  // On `host` (an IPv4 address in host order) and `port`; port 0: any free one.
  explicit FakeSessionReceiver(Script script, std::uint32_t host = 0x7F000001,
                               std::uint16_t port = 0);
  ~FakeSessionReceiver();
  std::uint16_t port() const { return port_; }
  // Waits for the script to finish; what the client sent, frame by frame.
  const std::vector<ReceivedFrame>& Frames();
  bool connected();

 private:
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
  std::vector<ReceivedFrame> frames_;
  bool connected_ = false;
  bool joined_ = false;
};

// A UDP name service: every datagram that arrives is kept and handed to the
// responder, whose datagrams go back to the sender. With a flooder, the
// datagrams it gives for the latest request are also sent back over and
// over, as fast as the service can, from the first request on until it is
// destroyed (or kFloodLimitMs passes); requests are still taken meanwhile.
class FakeNameService {
 public:
  using Responder = std::function<std::vector<Bytes>(ByteSpan request)>;
  // On `host` (an IPv4 address in host order) and `port`; port 0: any free one.
  explicit FakeNameService(Responder responder, Responder flooder = nullptr,
                           std::uint32_t host = 0x7F000001, std::uint16_t port = 0);
  ~FakeNameService();
  std::uint16_t port() const { return port_; }
  std::vector<Bytes> Requests();

 private:
  // What the flood sends, and to whom; a new generation with each request.
  struct FloodTarget {
    std::vector<Bytes> datagrams;
    sockaddr_in to{};
    std::chrono::steady_clock::time_point end{};
    std::uint64_t generation = 0;
  };

  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Bytes> requests_;
  FloodTarget flood_;
  std::thread thread_;
  // More than one sender: on two cores the client then gets the smaller share.
  std::array<std::thread, 2> flood_threads_;
};

// A loopback TCP port held but not listened on: connecting is refused.
class ClosedPort {
 public:
  ClosedPort();
  ~ClosedPort();
  std::uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A loopback UDP port nothing is bound to (at the moment of asking).
std::uint16_t UnboundUdpPort();

}  // namespace wirenote::messenger::testing
