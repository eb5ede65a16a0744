// The datagram exchange against peers of its own behind the channel: however
// fast datagrams come, the exchange ends when its time is up and sends every
// request it planned meanwhile; it ends at once when an answer is taken or
// the peer refuses.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "messenger/datagram_exchange.h"

namespace wirenote::messenger {
namespace {

using std::chrono::milliseconds;

// A peer that is quiet, floods, answers or refuses. A flood stops by itself
// after a while, so that an exchange that does not bound it is seen to
// overrun rather than hang the test.
class FakeChannel final : public DatagramChannel {
 public:
  enum class Peer { kQuiet, kFlooding, kAnswering, kRefusing };
  explicit FakeChannel(Peer peer) : peer_(peer), flood_end_(Clock::now() + std::chrono::seconds(5)) {}

  bool Send() override {
    ++sent;
    return peer_ != Peer::kRefusing;
  }
  Receipt Receive(std::span<std::uint8_t> buffer) override {
    const bool flooding = peer_ == Peer::kFlooding && Clock::now() < flood_end_;
    const bool answering = peer_ == Peer::kAnswering && sent > 0;
    if (!flooding && !answering) return {};
    ++received;
    buffer[0] = answering ? kAnswer : kForeign;
    return {Receipt::Kind::kDatagram, 1};
  }
  bool Wait(Clock::time_point until) override {
    std::this_thread::sleep_until(until);
    return true;
  }

  static constexpr std::uint8_t kAnswer = 0xA5;
  static constexpr std::uint8_t kForeign = 0x5A;
  int sent = 0;
  long received = 0;

 private:
  Peer peer_;
  Clock::time_point flood_end_;
};

TEST(DatagramExchange, EndsWithItsWindowAndSendsEveryPlannedRequest) {
  constexpr milliseconds kWindow{300};
  constexpr milliseconds kInterval{100};
  // Not a speed goal: room for a loaded machine, far less than the flood.
  constexpr milliseconds kOverrunMargin{1500};
  struct Case {
    const char* what;
    FakeChannel::Peer peer;
    bool taken;
    int least_sent;
    int most_sent;
  };
  const Case cases[] = {
      {"a quiet peer", FakeChannel::Peer::kQuiet, false, 3, 3},
      {"a peer that floods with foreign datagrams", FakeChannel::Peer::kFlooding, false, 3, 3},
      {"a peer that answers", FakeChannel::Peer::kAnswering, true, 1, 1},
      {"a peer that refuses", FakeChannel::Peer::kRefusing, false, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeChannel channel(c.peer);
    const auto start = Clock::now();
    const bool taken = ExchangeDatagrams(channel, kInterval, start + kWindow, [](ByteSpan datagram) {
      return datagram.size() == 1 && datagram[0] == FakeChannel::kAnswer;
    });
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    EXPECT_EQ(taken, c.taken);
    EXPECT_LT(took, kWindow + kOverrunMargin) << "the exchange outlasted its window";
    EXPECT_GE(channel.sent, c.least_sent) << "planned requests did not go out";
    EXPECT_LE(channel.sent, c.most_sent);
    if (c.peer == FakeChannel::Peer::kQuiet) {
      EXPECT_GE(took, kWindow) << "gave up before its window";
    }
    if (c.peer == FakeChannel::Peer::kFlooding) {
      EXPECT_GT(channel.received, 0);
    }
  }
}

}  // namespace
}  // namespace wirenote::messenger
