// The built program against receivers that misbehave in every way the
// client's own tests know: each fault ends the run with its status text, exit
// status 0, and within the program's 10 s bound whatever the peer does. The
// program always talks to port 139, so the receivers listen there on
// loopback addresses, in a network of the test's own (the machine's port 139
// may belong to a server of its own); that needs root. So does a hosts file
// of the test's own, in a mount namespace of its own.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "console/catalogue.h"
#include "delivery/delivery.h"
#include "fake_receiver.h"
#include "private_network.h"
#include "receiver_behaviour.h"
#include "run_binary.h"

namespace wirenote {
namespace {

using messenger::testing::Behaviour;
using messenger::testing::FakeConnection;
using messenger::testing::FakeNameService;
using messenger::testing::FakeSessionReceiver;
using messenger::testing::FaultRow;
using messenger::testing::FaultRows;
using messenger::testing::ReceivedFrame;
using messenger::testing::Serve;

constexpr std::uint16_t kSessionPort = 139;

std::string Address(std::uint32_t host) {
  return std::to_string(host >> 24) + "." + std::to_string((host >> 16) & 0xFF) + "." +
         std::to_string((host >> 8) & 0xFF) + "." + std::to_string(host & 0xFF);
}

// The program's bound on a whole send, and what a run may take beyond it on
// a loaded machine: not a speed goal, only proof that no peer holds it.
constexpr double kSendBoundSeconds = 10;
constexpr double kOverrunMarginSeconds = 3;

// Every row at once, each receiver at a loopback address of its own: rows
// that wait out the program's bound would otherwise take 10 s each in turn.
TEST(ReceiverFaultsEndToEndTest, EveryFaultEndsWithItsStatusText) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
  const testing::TempDir dir;
  const std::vector<FaultRow> rows = FaultRows();
  ASSERT_LT(rows.size(), 255u);
  constexpr std::uint32_t kFirstHost = 0x7F000101;  // 127.0.1.1, then one address a row
  std::vector<std::unique_ptr<FakeSessionReceiver>> receivers;
  std::vector<std::future<testing::RunResult>> runs;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::uint32_t host = kFirstHost + static_cast<std::uint32_t>(i);
    const Behaviour& behaviour = rows[i].behaviour;
    receivers.push_back(std::make_unique<FakeSessionReceiver>(
        [&behaviour](FakeConnection& c) { Serve(c, behaviour); }, host, kSessionPort));
    // A file a run: the program reads its file locked against the others.
    const std::string file = dir.WriteFile("message" + std::to_string(i) + ".txt",
                                           messenger::testing::Repeat("0123456789", 30));
    runs.push_back(std::async(std::launch::async, [host, file] {
      return testing::RunWirenote({Address(host), file});
    }));
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].what);
    const testing::RunResult result = runs[i].get();
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, StatusTextFor(rows[i].expected));
    EXPECT_EQ(result.standard_error, "");
    EXPECT_LT(result.seconds, kSendBoundSeconds + kOverrunMarginSeconds) << "the 10 s bound did not hold";
    EXPECT_TRUE(receivers[i]->connected());
  }
}

// A recipient that is no single host, or a number that is no strict dotted
// quad (which the system would read with inet_aton's octal and hex rules),
// is not found, and nothing goes on the wire: no name service, no session.
// Receivers listen wherever such a recipient would lead on this network:
// every local address on port 139, and the name service port.
TEST(ReceiverFaultsEndToEndTest, ARecipientThatIsNoSingleHostIsNotFoundAndNothingIsSent) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
  const testing::TempDir dir;
  const std::string file = dir.WriteFile("message.txt", "hello\r\n");
  constexpr std::uint16_t kNameServicePort = 137;
  for (const char* recipient :
       {"0.0.0.0", "0", "0.1.2.3", "127.1", "0x7f.0.0.1", "0X7F000001", "2130706433", "0177.0.0.1",
        "127.000.000.001", "192.168.001.010", "0300.0250.1.10", "224.0.0.1", "239.255.255.250",
        "255.255.255.255"}) {
    SCOPED_TRACE(recipient);
    FakeNameService names([](messenger::ByteSpan) { return std::vector<messenger::Bytes>{}; }, nullptr,
                          INADDR_ANY, kNameServicePort);
    FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, Behaviour{}); }, INADDR_ANY, kSessionPort);
    const testing::RunResult result = testing::RunWirenote({recipient, file});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, MsgNameNotFound);
    EXPECT_EQ(result.standard_error, "");
    EXPECT_FALSE(receiver.connected());
    EXPECT_TRUE(names.Requests().empty());
  }
}

// Gives this test process, and the programs it runs, `path` as /etc/hosts
// until the object goes; false when that cannot be had (no root).
class OwnHostsFile {
 public:
  explicit OwnHostsFile(const std::string& path) {
    mounted_ = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount(path.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
  }
  ~OwnHostsFile() {
    if (mounted_) umount("/etc/hosts");
  }
  OwnHostsFile(const OwnHostsFile&) = delete;
  OwnHostsFile& operator=(const OwnHostsFile&) = delete;
  bool mounted() const { return mounted_; }

 private:
  bool mounted_ = false;
};

// A hosts file may map a name to 0.0.0.0 (to block it), multicast or
// broadcast: such an answer of the system resolver is passed over.
TEST(ReceiverFaultsEndToEndTest, TheResolverGivesNoAddressThatIsNoSingleHost) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
  const testing::TempDir dir;
  const std::string file = dir.WriteFile("message.txt", "hello\r\n");
  const OwnHostsFile hosts(dir.WriteFile("hosts",
                                         "127.0.0.1 localhost\n"
                                         "127.0.0.16 wnhosts\n"
                                         "0.0.0.0 wnzero\n"
                                         "224.0.0.1 wnmulticast\n"
                                         "255.255.255.255 wnbroadcast\n"));
  ASSERT_TRUE(hosts.mounted()) << "a mount namespace of its own needs root";
  const struct {
    const char* recipient;
    CatalogueText status;
  } cases[] = {
      {"wnhosts", MsgSent},  // the hosts file is the one read
      {"wnzero", MsgNameNotFound},
      {"wnmulticast", MsgNameNotFound},
      {"wnbroadcast", MsgNameNotFound},
  };
  constexpr std::uint32_t kNamedHost = 0x7F000010;  // 127.0.0.16
  for (const auto& c : cases) {
    SCOPED_TRACE(c.recipient);
    // 0.0.0.0 would reach 127.0.0.1.
    FakeSessionReceiver named([](FakeConnection& conn) { Serve(conn, Behaviour{}); }, kNamedHost, kSessionPort);
    FakeSessionReceiver here([](FakeConnection& conn) { Serve(conn, Behaviour{}); }, INADDR_LOOPBACK,
                             kSessionPort);
    const testing::RunResult result = testing::RunWirenote({c.recipient, file});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, c.status);
    EXPECT_EQ(named.connected(), c.status == MsgSent);
    EXPECT_FALSE(here.connected());
  }
}

TEST(ReceiverFaultsEndToEndTest, ARefusedConnectionMeansTheNameIsNotFound) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
  const testing::TempDir dir;
  const std::string file = dir.WriteFile("message.txt", "hello\r\n");
  const testing::RunResult result = testing::RunWirenote({"127.0.0.12", file});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.standard_output, MsgNameNotFound);
}

// The text goes on the wire as code page 932, whatever the locale's
// character set that the file is read in.
TEST(ReceiverFaultsEndToEndTest, TheMessageArrivesAsCodePage932ByteForByte) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
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
