// The POSIX messenger service as the program calls it: what of the UTF-16
// buffer reaches a receiver on loopback.
#include <gtest/gtest.h>

#include <string>

#include "fake_receiver.h"
#include "messenger/net_message_send.h"
#include "received_text.h"
#include "receiver_behaviour.h"

namespace wirenote::messenger {
namespace {

using testing::FakeConnection;
using testing::FakeSessionReceiver;

// The receiver on a port of its own, called by its address; no name service
// answers, so the call goes straight to the session.
MessengerConfig ConfigFor(const FakeSessionReceiver& receiver) {
  MessengerConfig config;
  config.session_port = receiver.port();
  config.name_service_port = testing::UnboundUdpPort();
  config.deadline = std::chrono::milliseconds(5000);
  config.node_status_time = std::chrono::milliseconds(400);
  config.use_system_resolver = false;
  config.computer_name = "tester";
  return config;
}

// A byte-order mark opening the text (a UTF-8 file in a UTF-8 locale) is no
// character of it; anywhere else it is one, which code page 932 lacks.
TEST(MessengerPosixTest, ALeadingByteOrderMarkIsNotSent) {
  const struct {
    const char* what;
    std::u16string units;
    std::string sent;
  } cases[] = {
      {"a leading mark", u"\uFEFFhello\r\n", "hello\r\n"},
      {"only the leading one", u"\uFEFFa\uFEFFb\r\n", "a?b\r\n"},
      {"a mark alone", u"\uFEFF", ""},
      {"a mark not at the start", u"a\uFEFF", "a?"},
      {"no mark", u"abc", "abc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSessionReceiver receiver([](FakeConnection& conn) { testing::Serve(conn, {}); });
    std::string buffer(3200, '\0');
    for (std::size_t i = 0; i < c.units.size(); ++i) {
      buffer[2 * i] = static_cast<char>(c.units[i] & 0xFF);
      buffer[2 * i + 1] = static_cast<char>(c.units[i] >> 8);
    }
    EXPECT_EQ(NetMessageBufferSendWith(ConfigFor(receiver), nullptr, u"127.0.0.1", nullptr,
                                       reinterpret_cast<const BYTE*>(buffer.data()),
                                       static_cast<DWORD>(buffer.size())),
              NERR_Success);
    EXPECT_EQ(wirenote::testing::ReceivedText(receiver.Frames()), c.sent);
  }
}

}  // namespace
}  // namespace wirenote::messenger
