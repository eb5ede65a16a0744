// The built program sending to a receiver on loopback: what of the message
// file arrives, in code pages where the file's text and its UTF-16 form do
// not match one for one. The program always talks to port 139, so the
// receiver listens there, in a network of the test's own (needs root).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/catalogue.h"
#include "fake_receiver.h"
#include "made_locale.h"
#include "private_network.h"
#include "received_text.h"
#include "receiver_behaviour.h"
#include "run_binary.h"

namespace wirenote {
namespace {

using messenger::testing::FakeConnection;
using messenger::testing::FakeSessionReceiver;

constexpr std::uint16_t kSessionPort = 139;

bool InCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

struct Sent {
  testing::RunResult result;
  std::string received;
};

// Runs the program on a file holding `contents`, sending to a receiver at
// 127.0.0.`host` that takes every message.
Sent SendFile(const std::string& contents, const std::vector<std::string>& environment, int host) {
  const testing::TempDir dir;
  const std::string file = dir.WriteFile("message.txt", contents);
  const std::uint32_t address = 0x7F000000u | static_cast<std::uint32_t>(host);
  FakeSessionReceiver receiver([](FakeConnection& c) { messenger::testing::Serve(c, {}); },
                               address, kSessionPort);
  testing::RunOptions options;
  options.environment = environment;
  Sent sent;
  sent.result = testing::RunWirenote({"127.0.0." + std::to_string(host), file}, options);
  sent.received = testing::ReceivedText(receiver.Frames());
  return sent;
}

// In TSCII one byte can be a syllable of four UTF-16 units: 500 of them are
// more than the message buffer's 1600 units. What fits goes out, whole
// syllables only, never an empty message reported as sent. Code page 932
// has no Tamil, so each unit arrives as "?".
TEST(DeliveryEndToEndTest, ATextTooLongInUnitsArrivesAsTheSyllablesThatFit) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
  const testing::MadeLocale tscii("ta_IN", "TSCII");
  if (!tscii.made()) {
    if (!InCi()) GTEST_SKIP() << "localedef cannot make " << tscii.name();
    FAIL() << "localedef cannot make " << tscii.name();
  }
  // "a", 500 syllables of four units, a line break: 1 + 399 * 4 units fit.
  const Sent sent = SendFile("a" + std::string(500, '\x82') + "\n",
                             {tscii.locpath(), tscii.lc_all()}, 31);
  EXPECT_EQ(sent.result.exit_status, 0);
  EXPECT_EQ(sent.result.standard_output, MsgSent);
  EXPECT_EQ(sent.received, "a" + std::string(399 * 4, '?'));
}

// A UTF-8 file may open with a byte-order mark; in a UTF-8 locale it is read
// as the character U+FEFF, which says how the file is stored and carries no
// text of the message.
TEST(DeliveryEndToEndTest, AByteOrderMarkOpeningAUtf8FileIsNotSent) {
  if (!testing::PrivateNetworkOrCi()) GTEST_SKIP() << "a network of its own needs root";
  const struct {
    const char* what;
    std::string contents;
    std::string received;
  } cases[] = {
      {"a leading mark", "\xEF\xBB\xBFhello\n", "hello\r\n"},
      {"only the leading one", "\xEF\xBB\xBF" "a\xEF\xBB\xBF" "b", "a?b\r\n"},
      {"Japanese after the mark", "\xEF\xBB\xBF\xE3\x81\x82\n", "\x82\xA0\r\n"},
  };
  int host = 32;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Sent sent = SendFile(c.contents, {"LC_ALL=C.UTF-8"}, host++);
    EXPECT_EQ(sent.result.exit_status, 0);
    EXPECT_EQ(sent.result.standard_output, MsgSent);
    EXPECT_EQ(sent.received, c.received);
  }
}

}  // namespace
}  // namespace wirenote
