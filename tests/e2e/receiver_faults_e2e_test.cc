// The built program against receivers that misbehave in every way the
// client's own tests know: each fault ends the run with its status text, exit
// status 0, and no hang. The program always talks to port 139, so the
// receivers listen there on loopback addresses, in a network of the test's
// own (the machine's port 139 may belong to a server of its own); that
// needs root.
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "console/catalogue.h"
#include "delivery/delivery.h"
#include "fake_receiver.h"
#include "receiver_behaviour.h"
#include "run_binary.h"

namespace wirenote {
namespace {

using messenger::testing::Behaviour;
using messenger::testing::FakeConnection;
using messenger::testing::FakeSessionReceiver;
using messenger::testing::FaultRow;
using messenger::testing::FaultRows;
using messenger::testing::ReceivedFrame;
using messenger::testing::Serve;

constexpr std::uint16_t kSessionPort = 139;

// Moves this test process, and the programs it runs, into a network of its
// own with only its loopback interface, up.
bool EnterPrivateNetwork() {
  static const bool entered = [] {
    if (unshare(CLONE_NEWNET) != 0) return false;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    const bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &loopback) == 0 &&
                    (loopback.ifr_flags |= IFF_UP, ioctl(fd, SIOCSIFFLAGS, &loopback) == 0);
    if (fd >= 0) close(fd);
    return up;
  }();
  return entered;
}

bool CanListenOnTheSessionPort() {
  if (EnterPrivateNetwork()) return true;
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";  // then the test fails, as it should
}

std::string Address(std::uint32_t host) {
  return std::to_string(host >> 24) + "." + std::to_string((host >> 16) & 0xFF) + "." +
         std::to_string((host >> 8) & 0xFF) + "." + std::to_string(host & 0xFF);
}

TEST(ReceiverFaultsEndToEndTest, EveryFaultEndsWithItsStatusText) {
  if (!CanListenOnTheSessionPort()) GTEST_SKIP() << "a network of its own needs root";
  const testing::TempDir dir;
  const std::string file = dir.WriteFile("message.txt", messenger::testing::Repeat("0123456789", 30));
  constexpr std::uint32_t kHost = 0x7F00000B;  // 127.0.0.11
  for (const FaultRow& row : FaultRows()) {
    SCOPED_TRACE(row.what);
    FakeSessionReceiver receiver([&](FakeConnection& c) { Serve(c, row.behaviour); }, kHost,
                                 kSessionPort);
    const testing::RunResult result = testing::RunWirenote({Address(kHost), file});
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, StatusTextFor(row.expected));
    EXPECT_EQ(result.standard_error, "");
    EXPECT_TRUE(receiver.connected());
  }
}

TEST(ReceiverFaultsEndToEndTest, ARefusedConnectionMeansTheNameIsNotFound) {
  if (!CanListenOnTheSessionPort()) GTEST_SKIP() << "a network of its own needs root";
  const testing::TempDir dir;
  const std::string file = dir.WriteFile("message.txt", "hello\r\n");
  const testing::RunResult result = testing::RunWirenote({"127.0.0.12", file});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.standard_output, MsgNameNotFound);
}

// The text goes on the wire as code page 932, whatever the locale's
// character set that the file is read in.
TEST(ReceiverFaultsEndToEndTest, TheMessageArrivesAsCodePage932ByteForByte) {
  if (!CanListenOnTheSessionPort()) GTEST_SKIP() << "a network of its own needs root";
  // ｱｲｳ, あいう and 表 (whose second byte is 5C), in lines ended three ways,
  // long enough for two blocks.
  std::string cp932;
  std::string utf8;
  std::string wire;
  for (int i = 0; i < 20; ++i) {
    cp932 += "\xb1\xb2\xb3 \x82\xa0\x82\xa2\x82\xa4 \x95\x5c\n";
    utf8 += "ｱｲｳ あいう 表\n";
    wire += "\xb1\xb2\xb3 \x82\xa0\x82\xa2\x82\xa4 \x95\x5c\r\n";
  }
  const struct {
    const char* locale;
    std::string file;
  } cases[] = {
      {"LC_ALL=C", cp932 + "end\rlast"},
      {"LC_ALL=C.UTF-8", utf8 + "end\rlast"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    const testing::TempDir dir;
    const std::string file = dir.WriteFile("message.txt", c.file);
    constexpr std::uint32_t kHost = 0x7F00000D;  // 127.0.0.13
    FakeSessionReceiver receiver([](FakeConnection& conn) { Serve(conn, Behaviour{}); }, kHost,
                                 kSessionPort);
    testing::RunOptions options;
    options.environment = {c.locale};
    const testing::RunResult result = testing::RunWirenote({Address(kHost), file}, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, MsgSent);

    std::string received;
    std::size_t blocks = 0;
    for (const ReceivedFrame& frame : receiver.Frames()) {
      // SEND_TEXT: header, WordCount 1, group id, ByteCount, 01, length, text.
      if (frame.type != 0x00 || frame.payload.size() < 40 || frame.payload[4] != 0xD7) continue;
      ++blocks;
      const std::size_t length = frame.payload[38] | frame.payload[39] << 8;
      ASSERT_EQ(frame.payload.size(), 40 + length);
      EXPECT_LE(length, 128u);
      received.append(frame.payload.begin() + 40, frame.payload.end());
    }
    EXPECT_EQ(received, wire + "end\r\nlast\r\n");
    EXPECT_GE(blocks, 2u);
  }
}

}  // namespace
}  // namespace wirenote
