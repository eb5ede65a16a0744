// The messenger client against receivers on loopback: what it puts on the
// wire, and the status it answers with for every way a receiver or the
// network can behave, faults included.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fake_receiver.h"
#include "messenger/messenger_client.h"
#include "messenger/net_message_send.h"
#include "receiver_behaviour.h"
#include "wire_builders.h"

namespace wirenote::messenger {
namespace {

using testing::ClosedPort;
using testing::FakeConnection;
using testing::FakeNameService;
using testing::FakeSessionReceiver;
using testing::ReceivedFrame;
using namespace testing;

std::uint16_t Le16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// One address of a name query answer: its NB flags (0x8000: a group name)
// and the address.
struct AnsweredAddress {
  std::uint16_t nb_flags;
  Ipv4Address ipv4;
};

// The name service's answers, built by hand.
Bytes NameQueryAnswer(ByteSpan request, std::uint16_t id_change = 0,
                      const std::vector<AnsweredAddress>& addresses = {{0x0000, {127, 0, 0, 1}}}) {
  const std::uint16_t id = static_cast<std::uint16_t>((request[0] << 8 | request[1]) + id_change);
  Bytes data;
  for (const AnsweredAddress& address : addresses) {
    data.insert(data.end(), {static_cast<std::uint8_t>(address.nb_flags >> 8),
                             static_cast<std::uint8_t>(address.nb_flags)});
    data.insert(data.end(), address.ipv4.begin(), address.ipv4.end());
  }
  return Cat({{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id), 0x85, 0x00, 0, 0, 0, 1, 0, 0, 0, 0},
              Bytes(request.begin() + 12, request.begin() + 46),
              {0x00, 0x20, 0x00, 0x01, 0x00, 0x04, 0x93, 0xE0, 0x00, static_cast<std::uint8_t>(data.size())},
              data});
}

Bytes NodeStatusAnswer(ByteSpan request, std::string_view name, std::uint8_t suffix) {
  Bytes data = Cat({{1}, NodeStatusName(name, suffix, 0x0400), Bytes(46, 0)});
  return Cat({{request[0], request[1], 0x84, 0x00, 0, 0, 0, 1, 0, 0, 0, 0},
              Bytes(request.begin() + 12, request.begin() + 46),
              {0x00, 0x21, 0x00, 0x01, 0, 0, 0, 0, 0x00, static_cast<std::uint8_t>(data.size())},
              data});
}

bool IsQueryFor(ByteSpan request, const Bytes& encoded_name, std::uint8_t type) {
  return request.size() == 50 && std::equal(encoded_name.begin(), encoded_name.end(), request.begin() + 12) &&
         request[46] == 0x00 && request[47] == type;
}

// A LAN where WNRECV<03> answers name queries from 127.0.0.1.
std::vector<Bytes> AnswerForWnrecv(ByteSpan request) {
  if (IsQueryFor(request, Encoded(kWnrecv03), 0x20)) return {NameQueryAnswer(request)};
  return {};
}

MessengerConfig LoopbackConfig(std::uint16_t session_port, std::uint16_t name_service_port) {
  MessengerConfig config;
  config.session_port = session_port;
  config.name_service_port = name_service_port;
  config.deadline = std::chrono::milliseconds(5000);
  config.name_query_interval = std::chrono::milliseconds(100);
  config.name_query_time = std::chrono::milliseconds(400);
  config.node_status_interval = std::chrono::milliseconds(100);
  config.node_status_time = std::chrono::milliseconds(400);
  config.broadcast_addresses = std::vector<Ipv4Address>{{127, 0, 0, 1}};
  config.use_system_resolver = false;
  config.computer_name = "tester";
  return config;
}

std::vector<std::uint8_t> Commands(const std::vector<ReceivedFrame>& frames) {
  std::vector<std::uint8_t> commands;
  for (std::size_t i = 1; i < frames.size(); ++i) commands.push_back(frames[i].payload[4]);
  return commands;
}

// The SEND_START fields after the header: WordCount, ByteCount, strings.
Bytes SendStartBody(const std::vector<ReceivedFrame>& frames) {
  return Bytes(frames.at(1).payload.begin() + kSmbHeader, frames.at(1).payload.end());
}

TEST(MessengerClient, SendsTheMessageInBlocksThatMatchWhatTheReceiverExpects) {
  FakeNameService names(AnswerForWnrecv);
  Behaviour behaviour;
  behaviour.start_words = {0x0777};
  FakeSessionReceiver receiver([&](FakeConnection& c) { Serve(c, behaviour); });
  // 127 single bytes, then a double-byte character that must not be cut,
  // then 200 bytes of double-byte characters and CR LF.
  const std::string text = Concat({std::string(127, 'a'), "\x82\xa0", Repeat("\x88\x9f", 100), "\r\n"});

  EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), "wnrecv", text), NERR_Success);

  const std::vector<ReceivedFrame>& frames = receiver.Frames();
  ASSERT_GE(frames.size(), 3u);
  EXPECT_EQ(frames[0].type, 0x81);
  EXPECT_EQ(frames[0].payload, Cat({Encoded(kWnrecv03), Encoded(kTester00)}));
  EXPECT_EQ(SendStartBody(frames),
            Cat({{0x00, 16, 0x00, 0x04}, B("TESTER"), {0x00, 0x04}, B("WNRECV"), {0x00}}));
  EXPECT_EQ(Commands(frames),
            (std::vector<std::uint8_t>{kSendStart, kSendText, kSendText, kSendText, kSendEnd}));

  std::string joined;
  std::vector<std::size_t> sizes;
  for (std::size_t i = 1; i < frames.size(); ++i) {
    const Bytes& smb = frames[i].payload;
    EXPECT_EQ(Le16(smb, 30), i) << "message ids count up from 1";
    EXPECT_EQ(Le16(smb, 26), Le16(frames[1].payload, 26)) << "one process id";
    EXPECT_EQ(Le16(smb, 24), 0xFFFF);
    if (smb[4] == kSendStart) continue;
    ASSERT_EQ(smb[kSmbHeader], 1);
    EXPECT_EQ(Le16(smb, kSmbHeader + 1), 0x0777) << "the group id comes back";
    if (smb[4] == kSendEnd) {
      EXPECT_EQ(smb.size(), kSmbHeader + 5);
      continue;
    }
    const std::size_t length = Le16(smb, kSmbHeader + 6);
    ASSERT_EQ(Le16(smb, kSmbHeader + 3), length + 3);
    ASSERT_EQ(smb[kSmbHeader + 5], 0x01);
    ASSERT_EQ(smb.size(), kSmbHeader + 8 + length);
    sizes.push_back(length);
    joined.append(smb.begin() + kSmbHeader + 8, smb.end());
  }
  EXPECT_EQ(sizes, (std::vector<std::size_t>{127, 128, 76}));
  EXPECT_EQ(joined, text);

  const std::vector<Bytes> queries = names.Requests();
  ASSERT_FALSE(queries.empty());
  EXPECT_EQ(queries[0][2], 0x01);
  EXPECT_EQ(queries[0][3], 0x10) << "a broadcast query";
  EXPECT_TRUE(IsQueryFor(queries[0], Encoded(kWnrecv03), 0x20));
}

// What a send may take beyond its deadline, even on a loaded machine: not a
// speed goal, only proof that nothing a peer does makes the client hang on.
constexpr std::chrono::milliseconds kOverrunMargin{1500};

using Stopwatch = std::chrono::steady_clock;

std::chrono::milliseconds Since(Stopwatch::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Stopwatch::now() - start);
}

TEST(MessengerClient, AnswersEveryReceiverFaultWithItsStatus) {
  FakeNameService names(AnswerForWnrecv);
  const std::string text = Repeat("0123456789", 30);  // three blocks
  for (const FaultRow& row : FaultRows()) {
    SCOPED_TRACE(row.what);
    FakeSessionReceiver receiver([&](FakeConnection& c) { Serve(c, row.behaviour); });
    MessengerConfig config = LoopbackConfig(receiver.port(), names.port());
    config.deadline = std::chrono::milliseconds(row.deadline_ms);
    const auto start = Stopwatch::now();
    EXPECT_EQ(SendNetMessage(config, "WNRECV", text), row.expected);
    EXPECT_LT(Since(start), config.deadline + kOverrunMargin) << "the deadline did not hold";
    EXPECT_TRUE(receiver.connected());
    EXPECT_FALSE(receiver.Frames().empty());
  }
}

TEST(MessengerClient, SkipsKeepAlivesBeforeTheSessionResponse) {
  FakeNameService names(AnswerForWnrecv);
  Behaviour behaviour;
  behaviour.session_answer = Cat({kKeepAlive, kKeepAlive, kPositive});
  FakeSessionReceiver receiver([&](FakeConnection& c) { Serve(c, behaviour); });
  EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), "WNRECV", "hi"), NERR_Success);
  EXPECT_EQ(Commands(receiver.Frames()), (std::vector<std::uint8_t>{kSendStart, kSendText, kSendEnd}));
}

TEST(MessengerClient, ARefusedConnectionMeansTheNameIsNotThere) {
  FakeNameService names(AnswerForWnrecv);
  const ClosedPort closed;
  EXPECT_EQ(SendNetMessage(LoopbackConfig(closed.port(), names.port()), "WNRECV", "hi"), NERR_NameNotFound);
}

struct NameRow {
  const char* what;
  FakeNameService::Responder responder;
  NET_API_STATUS expected;
};

TEST(MessengerClient, TakesOnlyTheAnswerToItsOwnNameQuery) {
  const NameRow rows[] = {
      {"nobody answers", [](ByteSpan) { return std::vector<Bytes>{}; }, NERR_NameNotFound},
      {"an answer from another transaction id",
       [](ByteSpan r) { return std::vector<Bytes>{NameQueryAnswer(r, 1)}; }, NERR_NameNotFound},
      {"an answer about another name",
       [](ByteSpan r) {
         Bytes answer = NameQueryAnswer(r);
         answer[13] = 'E';
         return std::vector<Bytes>{answer};
       },
       NERR_NameNotFound},
      {"a negative answer",
       [](ByteSpan r) {
         Bytes answer = NameQueryAnswer(r);
         answer[3] = 0x03;
         return std::vector<Bytes>{answer};
       },
       NERR_NameNotFound},
      {"garbage", [](ByteSpan) { return std::vector<Bytes>{B("\x01\x02garbage")}; }, NERR_NameNotFound},
      {"the answer twice", [](ByteSpan r) { return std::vector<Bytes>{NameQueryAnswer(r), NameQueryAnswer(r)}; },
       NERR_Success},
      {"garbage, then the answer",
       [](ByteSpan r) { return std::vector<Bytes>{NameQueryAnswer(r, 7), B("junk"), NameQueryAnswer(r)}; },
       NERR_Success},
  };
  for (const NameRow& row : rows) {
    SCOPED_TRACE(row.what);
    FakeNameService names(row.responder);
    FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
    EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), "WNRECV", "hi"), row.expected);
    const std::size_t sessions = receiver.connected() ? 1 : 0;
    EXPECT_EQ(sessions, row.expected == NERR_Success ? 1u : 0u);
    // Unanswered queries are repeated.
    if (row.expected != NERR_Success) {
      EXPECT_GE(names.Requests().size(), 2u);
    }
  }
}

// Answers whose addresses the client may not connect to: the unspecified
// address (which the system takes for this host), multicast and broadcast.
TEST(MessengerClient, PassesOverAnsweredAddressesItMayNotConnectTo) {
  const Ipv4Address here{127, 0, 0, 1};
  const Ipv4Address unspecified{0, 0, 0, 0};
  const Ipv4Address multicast{224, 0, 0, 1};
  const Ipv4Address broadcast{255, 255, 255, 255};
  const auto answering = [](std::vector<std::vector<AnsweredAddress>> answers) {
    return [answers](ByteSpan r) {
      std::vector<Bytes> datagrams;
      for (const auto& addresses : answers) datagrams.push_back(NameQueryAnswer(r, 0, addresses));
      return datagrams;
    };
  };
  const NameRow rows[] = {
      {"0.0.0.0 alone", answering({{{0x0000, unspecified}}}), NERR_NameNotFound},
      {"0.0.0.0 and this host's address", answering({{{0x0000, unspecified}, {0x0000, here}}}), NERR_Success},
      {"a multicast address and this host's address", answering({{{0x0000, multicast}, {0x0000, here}}}),
       NERR_Success},
      {"the broadcast address alone", answering({{{0x0000, broadcast}}}), NERR_NameNotFound},
      {"a group address, 0.0.0.0, then this host's address",
       answering({{{0x8000, here}, {0x0000, unspecified}, {0x0000, here}}}), NERR_Success},
      {"0.0.0.0 in one answer, this host's address in the next",
       answering({{{0x0000, unspecified}}, {{0x0000, here}}}), NERR_Success},
  };
  for (const NameRow& row : rows) {
    SCOPED_TRACE(row.what);
    FakeNameService names(row.responder);
    FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
    EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), "WNRECV", "hi"), row.expected);
    EXPECT_EQ(receiver.connected(), row.expected == NERR_Success);
  }
}

// A recipient written as a number that is no strict dotted quad: the system
// would read it by inet_aton's rules (octal, hex, fewer parts) and reach a
// host the user never wrote. Each of these is read by them as this host or
// 0.0.0.0 (which the system takes for this host), where the receiver
// listens; none may reach it, nor the name service.
TEST(MessengerClient, ContactsNoHostForANumberThatIsNoStrictAddress) {
  for (const char* recipient : {"0.0.0.0", "0", "0.0", "127.1", "0x7f.1", "0X7F.0.0.1", "2130706433",
                                "0x7f000001", "0177.0.0.1", "127.000.000.001", "127.0.0.01",
                                "255.255.255.255"}) {
    SCOPED_TRACE(recipient);
    FakeNameService names(AnswerForWnrecv);
    FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
    MessengerConfig config = LoopbackConfig(receiver.port(), names.port());
    config.use_system_resolver = true;
    EXPECT_EQ(SendNetMessage(config, recipient, "hi"), NERR_NameNotFound);
    EXPECT_FALSE(receiver.connected());
    EXPECT_TRUE(names.Requests().empty());
  }
}

// A name service that floods the client with answers it must pass over:
// the lookup still ends when its window does, and every query it planned
// goes out meanwhile.
TEST(MessengerClient, KeepsTheNameWindowUnderAFloodOfAnswers) {
  struct Row {
    const char* what;
    const char* recipient;
    FakeNameService::Responder flooder;
    NET_API_STATUS expected;
  };
  const Row rows[] = {
      {"answers to another name query", "WNRECV",
       [](ByteSpan r) { return std::vector<Bytes>{NameQueryAnswer(r, 1), B("junk")}; }, NERR_NameNotFound},
      {"answers that carry 0.0.0.0", "WNRECV",
       [](ByteSpan r) { return std::vector<Bytes>{NameQueryAnswer(r, 0, {{0x0000, {0, 0, 0, 0}}})}; },
       NERR_NameNotFound},
      // No messenger name learnt: the address is called as a server.
      {"answers to another node status request", "127.0.0.1",
       [](ByteSpan r) {
         Bytes answer = NodeStatusAnswer(r, "WNRECV", 0x03);
         answer[1] ^= 0x01;
         return std::vector<Bytes>{answer};
       },
       NERR_Success},
  };
  constexpr std::chrono::milliseconds kWindow{1000};
  constexpr std::chrono::milliseconds kInterval{250};
  constexpr std::size_t kPlannedQueries = kWindow / kInterval;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeNameService names([](ByteSpan) { return std::vector<Bytes>{}; }, row.flooder);
    FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
    MessengerConfig config = LoopbackConfig(receiver.port(), names.port());
    config.name_query_time = config.node_status_time = kWindow;
    config.name_query_interval = config.node_status_interval = kInterval;
    const auto start = Stopwatch::now();
    EXPECT_EQ(SendNetMessage(config, row.recipient, "hi"), row.expected);
    EXPECT_LT(Since(start), kWindow + kOverrunMargin) << "the flood stretched the name window";
    // The service may still be reading the last query.
    for (const auto waited = Stopwatch::now();
         names.Requests().size() < kPlannedQueries && Since(waited) < kOverrunMargin;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(names.Requests().size(), kPlannedQueries) << "the flood starved the repeated queries";
  }
}

TEST(MessengerClient, AnIpAddressIsCalledByTheMessengerNameItReports) {
  FakeNameService names([](ByteSpan r) {
    if (IsQueryFor(r, Encoded(kWildcard), 0x21)) {
      return std::vector<Bytes>{NodeStatusAnswer(r, "WNRECV", 0x03)};
    }
    return std::vector<Bytes>{};
  });
  FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
  EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), "127.0.0.1", "hi"), NERR_Success);
  const std::vector<ReceivedFrame>& frames = receiver.Frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames[0].payload, Cat({Encoded(kWnrecv03), Encoded(kTester00)}));
  EXPECT_EQ(SendStartBody(frames), Cat({{0x00, 16, 0x00, 0x04}, B("TESTER"), {0x00, 0x04}, B("WNRECV"), {0x00}}));
  const std::vector<Bytes> requests = names.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0][2], 0x00);
  EXPECT_EQ(requests[0][3], 0x00) << "a unicast node status request";
}

TEST(MessengerClient, AnIpAddressWithoutAMessengerNameIsCalledAsAServer) {
  const NameRow rows[] = {
      {"no answer", [](ByteSpan) { return std::vector<Bytes>{}; }, NERR_Success},
      {"no messenger name", [](ByteSpan r) { return std::vector<Bytes>{NodeStatusAnswer(r, "WNRECV", 0x20)}; },
       NERR_Success},
  };
  for (const NameRow& row : rows) {
    SCOPED_TRACE(row.what);
    FakeNameService names(row.responder);
    FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
    EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), "127.0.0.1", "hi"), row.expected);
    const std::vector<ReceivedFrame>& frames = receiver.Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].payload, Cat({Encoded(kSmbServer20), Encoded(kTester00)}));
    EXPECT_EQ(SendStartBody(frames),
              Cat({{0x00, 20, 0x00, 0x04}, B("TESTER"), {0x00, 0x04}, B("*SMBSERVER"), {0x00}}));
  }
  // No name service at all: the refusal is taken at once as no answer.
  FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
  EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), testing::UnboundUdpPort()), "127.0.0.1", "hi"),
            NERR_Success);
  ASSERT_FALSE(receiver.Frames().empty());
  EXPECT_EQ(receiver.Frames()[0].payload, Cat({Encoded(kSmbServer20), Encoded(kTester00)}));
}

TEST(MessengerClient, ANameNobodyAnswersForGoesToTheSystemResolver) {
  FakeNameService names([](ByteSpan) { return std::vector<Bytes>{}; });
  FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
  MessengerConfig config = LoopbackConfig(receiver.port(), names.port());
  config.use_system_resolver = true;
  EXPECT_EQ(SendNetMessage(config, "localhost", "hi"), NERR_Success);
  ASSERT_FALSE(receiver.Frames().empty());
  EXPECT_EQ(receiver.Frames()[0].payload, Cat({Encoded(kLocalhost03), Encoded(kTester00)}));
  EXPECT_FALSE(names.Requests().empty());
}

TEST(MessengerClient, RefusesRecipientsItCannotNameBeforeAnyTraffic) {
  FakeNameService names(AnswerForWnrecv);
  FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
  for (const std::string_view recipient : {std::string_view(""), std::string_view("ABCDEFGHIJKLMNOP")}) {
    EXPECT_EQ(SendNetMessage(LoopbackConfig(receiver.port(), names.port()), recipient, "hi"),
              ERROR_INVALID_PARAMETER);
  }
  MessengerConfig config = LoopbackConfig(receiver.port(), names.port());
  const BYTE text[] = {'h', 0, 'i', 0, 0, 0};
  const std::u16string cases[] = {
      u"",
      u"ABCDEFGHIJKLMNOP",
      u"\uFF21\uFF22\uFF23\uFF24\uFF25\uFF26\uFF27\uFF28",  // 8 double-byte characters: 16 bytes
      u"WN\u0E01",                                          // no code page 932 character for it
      u"\U0001F600",
  };
  for (const std::u16string& name : cases) {
    EXPECT_EQ(NetMessageBufferSendWith(config, nullptr, name.c_str(), nullptr, text, sizeof text),
              ERROR_INVALID_PARAMETER);
  }
  EXPECT_TRUE(names.Requests().empty());
  EXPECT_FALSE(receiver.connected());
}

TEST(MessengerClient, TakesTheLongestNames) {
  // 15 bytes: seven double-byte characters and one letter.
  FakeNameService names([](ByteSpan r) { return std::vector<Bytes>{NameQueryAnswer(r)}; });
  FakeSessionReceiver receiver([](FakeConnection& c) { Serve(c, {}); });
  const std::u16string name = u"\u30A2\u30A2\u30A2\u30A2\u30A2\u30A2\u30A2x";
  const BYTE text[] = {'h', 0, 'i', 0, 0, 0};
  EXPECT_EQ(NetMessageBufferSendWith(LoopbackConfig(receiver.port(), names.port()), nullptr, name.c_str(),
                                     nullptr, text, sizeof text),
            NERR_Success);
  ASSERT_FALSE(receiver.Frames().empty());
  EXPECT_EQ(SendStartBody(receiver.Frames()),
            Cat({{0x00, 25, 0x00, 0x04}, B("TESTER"), {0x00, 0x04}, B(Concat({Repeat("\x83\x41", 7), "X"})), {0x00}}));
}

// The text the receiver got in its SEND_TEXT blocks.
std::string TextReceived(const std::vector<ReceivedFrame>& frames) {
  std::string text;
  for (std::size_t i = 1; i < frames.size(); ++i) {
    const Bytes& smb = frames[i].payload;
    if (smb[4] == kSendText) text.append(smb.begin() + kSmbHeader + 8, smb.end());
  }
  return text;
}

TEST(MessengerClient, SendsTheUtf16TextUpToItsZeroUnitInCodePage932) {
  struct Case {
    const char* what;
    std::u16string units;
    DWORD buffer_bytes;
    std::string sent;
  };
  const Case cases[] = {
      {"up to the zero unit", std::u16string(u"abc\0xyz", 7), 14, "abc"},
      {"no zero unit: the whole buffer", u"abcd", 8, "abcd"},
      {"an odd byte at the end is no unit", u"abcd", 7, "abc"},
      {"Japanese and CR LF", u"\u3042\u4E9C\r\n", 8, "\x82\xa0\x88\x9f\r\n"},
      {"what code page 932 cannot hold becomes ?", u"a\u0E01b\U0001F600c", 12, "a?b?c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeNameService names(AnswerForWnrecv);
    FakeSessionReceiver receiver([](FakeConnection& conn) { Serve(conn, {}); });
    Bytes buffer(c.units.size() * 2 + 1);  // one byte more: the buffer needs no alignment
    for (std::size_t i = 0; i < c.units.size(); ++i) {
      buffer[1 + 2 * i] = static_cast<std::uint8_t>(c.units[i]);
      buffer[2 + 2 * i] = static_cast<std::uint8_t>(c.units[i] >> 8);
    }
    EXPECT_EQ(NetMessageBufferSendWith(LoopbackConfig(receiver.port(), names.port()), nullptr, u"wnrecv",
                                       nullptr, buffer.data() + 1, c.buffer_bytes),
              NERR_Success);
    EXPECT_EQ(TextReceived(receiver.Frames()), c.sent);
  }
}

TEST(MessengerClient, OffersNeitherAnotherServerNorAnotherSender) {
  const BYTE text[] = {'h', 0, 0, 0};
  const MessengerConfig config = LoopbackConfig(testing::UnboundUdpPort(), testing::UnboundUdpPort());
  EXPECT_EQ(NetMessageBufferSendWith(config, u"server", u"WNRECV", nullptr, text, sizeof text),
            ERROR_NOT_SUPPORTED);
  EXPECT_EQ(NetMessageBufferSendWith(config, nullptr, u"WNRECV", u"me", text, sizeof text), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(NetMessageBufferSendWith(config, nullptr, nullptr, nullptr, text, sizeof text),
            ERROR_INVALID_PARAMETER);
}

TEST(MessengerClient, NamesThisComputerByTheFirstLabelOfItsHostName) {
  const std::pair<const char*, const char*> cases[] = {
      {"vm", "VM"},
      {"build-host.example.org", "BUILD-HOST"},
      {"averyveryverylonghostname", "AVERYVERYVERYLO"},
      {"", "LOCALHOST"},
      {".example", "LOCALHOST"},
  };
  for (const auto& [host, name] : cases) EXPECT_EQ(ComputerNameFromHostName(host), name) << host;
}

}  // namespace
}  // namespace wirenote::messenger
