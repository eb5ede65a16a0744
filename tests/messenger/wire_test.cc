// The wire formats byte for byte: what the client builds, and what its
// readers make of answers, well formed or not. Only the wire layer and
// GoogleTest: these tests build for any OS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messenger_wire/name_service.h"
#include "messenger_wire/netbios_name.h"
#include "messenger_wire/session_service.h"
#include "messenger_wire/smb_message.h"
#include "messenger_wire/text_blocks.h"
#include "wire_builders.h"

namespace wirenote::messenger {
namespace {

using namespace testing;

NetbiosName Name(std::string_view text, std::uint8_t suffix) { return *MakeNetbiosName(text, suffix); }

TEST(NetbiosName, EncodesPaddedUpperCasedNamesWithTheirSuffix) {
  struct Case {
    std::string text;
    std::uint8_t suffix;
    std::string encoded;
  };
  const Case cases[] = {
      {"WNRECV", kSuffixMessenger, kWnrecv03},
      {"wnRecv", kSuffixMessenger, kWnrecv03},
      {"wnrecv", kSuffixWorkstation, kWnrecv00},
      {"ABCDEFGHIJKLMNO", kSuffixFileServer, "EBECEDEEEFEGEHEIEJEKELEMENEOEPCA"},
  };
  for (const Case& c : cases) {
    const std::optional<NetbiosName> name = MakeNetbiosName(c.text, c.suffix);
    ASSERT_TRUE(name) << c.text;
    const EncodedName encoded = EncodeName(*name);
    EXPECT_EQ(Bytes(encoded.begin(), encoded.end()), Encoded(c.encoded)) << c.text;
    const auto decoded = DecodeNameLabel(ByteSpan(encoded).subspan(1, 32));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, *name);
  }
}

TEST(NetbiosName, LeavesBothBytesOfDoubleByteCharactersAlone) {
  // U+30C2 is 83 61 in code page 932: its trail byte is an "a".
  EXPECT_EQ(UpperCaseOem("a\x83\x61z\x82\xa0x"), "A\x83\x61Z\x82\xa0X");
  const NetbiosName name = Name("x\x83\x61", kSuffixMessenger);
  EXPECT_EQ(name[0], 'X');
  EXPECT_EQ(name[1], 0x83);
  EXPECT_EQ(name[2], 0x61);
  EXPECT_EQ(name[3], 0x20);
  EXPECT_EQ(NetbiosNameText(name), "X\x83\x61");
}

TEST(NetbiosName, RefusesEmptyAndOverlongNames) {
  EXPECT_FALSE(MakeNetbiosName("", kSuffixMessenger));
  EXPECT_FALSE(MakeNetbiosName("ABCDEFGHIJKLMNOP", kSuffixMessenger));
  EXPECT_TRUE(MakeNetbiosName("ABCDEFGHIJKLMNO", kSuffixMessenger));
}

TEST(NetbiosName, DecodingRefusesBytesOutsideTheAlphabet) {
  Bytes label = B(kWnrecv03);
  EXPECT_TRUE(DecodeNameLabel(label));
  label[5] = 'Q';
  EXPECT_FALSE(DecodeNameLabel(label));
  label[5] = '@';
  EXPECT_FALSE(DecodeNameLabel(label));
  EXPECT_FALSE(DecodeNameLabel(ByteSpan(B(kWnrecv03)).first(30)));
}

TEST(NameService, BuildsQueriesByteForByte) {
  const Bytes header_broadcast = {0x12, 0x34, 0x01, 0x10, 0, 1, 0, 0, 0, 0, 0, 0};
  const Bytes header_unicast = {0x12, 0x34, 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0};
  const Bytes nb_in = {0x00, 0x20, 0x00, 0x01};
  const NetbiosName wnrecv = Name("WNRECV", kSuffixMessenger);
  EXPECT_EQ(BuildNameQuery(0x1234, wnrecv, true), Cat({header_broadcast, Encoded(kWnrecv03), nb_in}));
  EXPECT_EQ(BuildNameQuery(0x1234, wnrecv, false), Cat({header_unicast, Encoded(kWnrecv03), nb_in}));
  EXPECT_EQ(BuildNameQuery(0x1234, wnrecv, true).size(), 50u);
  EXPECT_EQ(BuildNodeStatusRequest(0xBEEF),
            Cat({{0xBE, 0xEF, 0x00, 0x00, 0, 1, 0, 0, 0, 0, 0, 0}, Encoded(kWildcard),
                 {0x00, 0x21, 0x00, 0x01}}));
}

// A positive name query response as nmbd sends it.
Bytes NameResponse(std::uint16_t id, const Bytes& name, const Bytes& rdata,
                   std::uint16_t flags = 0x8500, std::uint16_t type = 0x0020) {
  return Cat({{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(flags >> 8),
               static_cast<std::uint8_t>(flags), 0, 0, 0, 1, 0, 0, 0, 0},
              name,
              {static_cast<std::uint8_t>(type >> 8), static_cast<std::uint8_t>(type), 0x00, 0x01, 0x00, 0x04, 0x93,
               0xE0, static_cast<std::uint8_t>(rdata.size() >> 8), static_cast<std::uint8_t>(rdata.size())},
              rdata});
}

TEST(NameService, ReadsPositiveNameQueryResponses) {
  const Bytes one = {0x00, 0x00, 198, 51, 100, 1};
  const Bytes group_then_unique = {0x80, 0x00, 10, 0, 0, 9, 0x60, 0x00, 10, 0, 0, 7};

  auto response = ParseNameQueryResponse(NameResponse(0x4242, Encoded(kWnrecv03), one));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->transaction_id, 0x4242);
  EXPECT_EQ(response->rcode, 0);
  ASSERT_TRUE(response->name);
  EXPECT_EQ(*response->name, Name("WNRECV", kSuffixMessenger));
  ASSERT_EQ(response->addresses.size(), 1u);
  EXPECT_FALSE(response->addresses[0].group);
  EXPECT_EQ(response->addresses[0].ipv4, (std::array<std::uint8_t, 4>{198, 51, 100, 1}));

  // The answer's name may point back at the question.
  response = ParseNameQueryResponse(NameResponse(7, {0xC0, 0x0C}, group_then_unique));
  ASSERT_TRUE(response);
  EXPECT_FALSE(response->name);
  ASSERT_EQ(response->addresses.size(), 2u);
  EXPECT_TRUE(response->addresses[0].group);
  EXPECT_FALSE(response->addresses[1].group);
  EXPECT_EQ(response->addresses[1].ipv4, (std::array<std::uint8_t, 4>{10, 0, 0, 7}));

  // A negative answer says so and carries no address.
  response = ParseNameQueryResponse(NameResponse(9, Encoded(kWnrecv03), {}, 0x8503));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->rcode, 3);
  EXPECT_TRUE(response->addresses.empty());
}

TEST(NameService, RefusesMalformedNameQueryResponses) {
  const Bytes one = {0x00, 0x00, 198, 51, 100, 1};
  const Bytes valid = NameResponse(1, Encoded(kWnrecv03), one);
  for (std::size_t size = 0; size < valid.size(); ++size) {
    EXPECT_FALSE(ParseNameQueryResponse(ByteSpan(valid).first(size))) << "cut at " << size;
  }
  Bytes no_answer = valid;
  no_answer[7] = 0;
  Bytes long_rdlength = valid;
  long_rdlength[valid.size() - 7] = 12;
  Bytes bad_label = valid;
  bad_label[12] = 0x40;  // neither a length nor a pointer
  const Bytes cases[] = {
      NameResponse(1, Encoded(kWnrecv03), one, 0x0500),   // a query, not a response
      NameResponse(1, Encoded(kWnrecv03), one, 0xAD00),   // another opcode
      NameResponse(1, Encoded(kWnrecv03), one, 0x8500, 0x0021),
      NameResponse(1, Encoded(kWnrecv03), {0, 0, 1, 2, 3}),  // not whole entries
      NameResponse(1, Encoded(kWnrecv03), {}),
      no_answer,
      long_rdlength,
      bad_label,
  };
  for (const Bytes& packet : cases) EXPECT_FALSE(ParseNameQueryResponse(packet));
}

Bytes NodeStatusData(std::initializer_list<Bytes> entries, std::size_t statistics = 46) {
  Bytes data = {static_cast<std::uint8_t>(entries.size())};
  for (const Bytes& entry : entries) data.insert(data.end(), entry.begin(), entry.end());
  data.resize(data.size() + statistics, 0);
  return data;
}

TEST(NameService, ReadsNodeStatusAndPicksTheUniqueMessengerName) {
  const Bytes data = NodeStatusData({NodeStatusName("WNGROUP", 0x03, 0x8400),
                                     NodeStatusName("WNRECV", 0x00, 0x0400),
                                     NodeStatusName("WNRECV", 0x03, 0x0400),
                                     NodeStatusName("WNRECV", 0x20, 0x0400)});
  const auto response = ParseNodeStatusResponse(NameResponse(0x0102, Encoded(kWildcard), data, 0x8400, 0x0021));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->transaction_id, 0x0102);
  ASSERT_EQ(response->names.size(), 4u);
  EXPECT_EQ(response->names[0].flags, 0x8400);
  const auto messenger = MessengerNameIn(*response);
  ASSERT_TRUE(messenger);
  EXPECT_EQ(*messenger, Name("WNRECV", kSuffixMessenger));

  const auto without = ParseNodeStatusResponse(NameResponse(
      1, Encoded(kWildcard), NodeStatusData({NodeStatusName("WNGROUP", 0x03, 0x8400)}), 0x8400, 0x0021));
  ASSERT_TRUE(without);
  EXPECT_FALSE(MessengerNameIn(*without));
}

TEST(NameService, RefusesMalformedNodeStatus) {
  const Bytes data = NodeStatusData({NodeStatusName("WNRECV", 0x03, 0x0400)});
  const Bytes valid = NameResponse(1, Encoded(kWildcard), data, 0x8400, 0x0021);
  ASSERT_TRUE(ParseNodeStatusResponse(valid));
  for (std::size_t size = 0; size < valid.size(); ++size) {
    EXPECT_FALSE(ParseNodeStatusResponse(ByteSpan(valid).first(size))) << "cut at " << size;
  }
  Bytes overcount = data;
  overcount[0] = 5;  // five entries announced, one there
  const Bytes cases[] = {
      NameResponse(1, Encoded(kWildcard), overcount, 0x8400, 0x0021),
      NameResponse(1, Encoded(kWildcard), data, 0x8400, 0x0020),
      NameResponse(1, Encoded(kWildcard), data, 0x8403, 0x0021),
      NameResponse(1, Encoded(kWildcard), {}, 0x8400, 0x0021),
  };
  for (const Bytes& packet : cases) EXPECT_FALSE(ParseNodeStatusResponse(packet));
}

TEST(SessionService, BuildsTheSessionRequestAndMessageFrames) {
  const Bytes request =
      BuildSessionRequest(Name("WNRECV", kSuffixMessenger), Name("tester", kSuffixWorkstation));
  EXPECT_EQ(request, Cat({{0x81, 0x00, 0x00, 0x44}, Encoded(kWnrecv03), Encoded(kTester00)}));
  EXPECT_EQ(BuildSessionMessage(B("abc")), Cat({{0x00, 0x00, 0x00, 0x03}, B("abc")}));
  const Bytes big(0x10002, 0xEE);
  const Bytes framed = BuildSessionMessage(big);
  EXPECT_EQ(Bytes(framed.begin(), framed.begin() + 4), (Bytes{0x00, 0x01, 0x00, 0x02}));
  EXPECT_EQ(framed.size(), big.size() + 4);
}

TEST(SessionService, SplitsFramesOffWhatHasArrived) {
  struct Case {
    Bytes received;
    FrameStatus status;
    std::uint8_t type;
    std::size_t payload_bytes;
  };
  const Case cases[] = {
      {{}, FrameStatus::kIncomplete, 0, 0},
      {{0x82, 0x00, 0x00}, FrameStatus::kIncomplete, 0, 0},
      {{0x82, 0x00, 0x00, 0x00}, FrameStatus::kComplete, 0x82, 0},
      {{0x85, 0x00, 0x00, 0x00, 0x82, 0x00, 0x00, 0x00}, FrameStatus::kComplete, 0x85, 0},
      {{0x83, 0x00, 0x00, 0x01}, FrameStatus::kIncomplete, 0, 0},
      {{0x83, 0x00, 0x00, 0x01, 0x80, 0x99}, FrameStatus::kComplete, 0x83, 1},
      {{0x00, 0x01, 0x00, 0x00, 0xFF}, FrameStatus::kIncomplete, 0, 0},
      {{0x00, 0x02, 0x00, 0x00}, FrameStatus::kMalformed, 0, 0},
      {{0x48, 0x54, 0x54, 0x50}, FrameStatus::kMalformed, 0, 0},
  };
  for (const Case& c : cases) {
    const SplitResult split = SplitFrame(c.received);
    EXPECT_EQ(split.status, c.status);
    if (c.status != FrameStatus::kComplete) continue;
    EXPECT_EQ(split.frame.type, c.type);
    EXPECT_EQ(split.frame.payload.size(), c.payload_bytes);
    EXPECT_EQ(split.frame.size, 4 + c.payload_bytes);
  }
}

TEST(SessionService, ReadsSessionResponses) {
  struct Case {
    Bytes frame;
    SessionAnswer answer;
    std::uint8_t error;
  };
  const Case cases[] = {
      {{0x82, 0x00, 0x00, 0x00}, SessionAnswer::kPositive, 0},
      {{0x83, 0x00, 0x00, 0x01, 0x80}, SessionAnswer::kNegative, 0x80},
      {{0x83, 0x00, 0x00, 0x01, 0x8F}, SessionAnswer::kNegative, 0x8F},
      {{0x84, 0x00, 0x00, 0x06, 10, 0, 0, 1, 0, 139}, SessionAnswer::kRetarget, 0},
      {{0x82, 0x00, 0x00, 0x01, 0x00}, SessionAnswer::kMalformed, 0},
      {{0x83, 0x00, 0x00, 0x00}, SessionAnswer::kMalformed, 0},
      {{0x83, 0x00, 0x00, 0x02, 0x80, 0x80}, SessionAnswer::kMalformed, 0},
      {{0x00, 0x00, 0x00, 0x00}, SessionAnswer::kMalformed, 0},
      {{0x81, 0x00, 0x00, 0x00}, SessionAnswer::kMalformed, 0},
  };
  for (const Case& c : cases) {
    const SplitResult split = SplitFrame(c.frame);
    ASSERT_EQ(split.status, FrameStatus::kComplete);
    const SessionResponse response = ParseSessionResponse(split.frame);
    EXPECT_EQ(response.answer, c.answer);
    EXPECT_EQ(response.error, c.error);
  }
}

TEST(SmbMessage, BuildsTheMessageCommandsByteForByte) {
  const SmbIds ids{0x1234, 0x0001};
  EXPECT_EQ(BuildSendStart(ids, "TESTER", "WNRECV"),
            Cat({SmbHeader(0xD5, 0x1234, 1), {0x00, 16, 0x00, 0x04}, B("TESTER"), {0x00, 0x04},
                 B("WNRECV"), {0x00}}));
  EXPECT_EQ(BuildSendText({0x1234, 2}, 0x0A0B, "hello"),
            Cat({SmbHeader(0xD7, 0x1234, 2), {0x01, 0x0B, 0x0A, 8, 0x00, 0x01, 5, 0x00}, B("hello")}));
  EXPECT_EQ(BuildSendEnd({0x1234, 0x0103}, 0),
            Cat({SmbHeader(0xD6, 0x1234, 0x0103), {0x01, 0x00, 0x00, 0x00, 0x00}}));
}

TEST(SmbMessage, ReadsReplies) {
  auto reply = ParseSmbReply(Reply(0xD5, 7, 0, 0, {0x01, 0x34, 0x12, 0x02, 0x00, 0xAA, 0xBB}));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->command, 0xD5);
  EXPECT_EQ(reply->mid, 7);
  EXPECT_EQ(reply->pid, 0x1234);
  EXPECT_EQ(reply->tid, 0xFFFF);
  EXPECT_EQ(reply->words, (std::vector<std::uint16_t>{0x1234}));
  EXPECT_EQ(reply->data, (Bytes{0xAA, 0xBB}));

  reply = ParseSmbReply(Reply(0xD6, 3, 0x00470001, 0, {0x00, 0x00, 0x00}));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 0x00470001u);
  EXPECT_TRUE(reply->words.empty());
}

TEST(SmbMessage, RefusesWhatIsNoWellFormedReply) {
  const Bytes valid = Reply(0xD7, 1, 0, 0, {0x01, 0x00, 0x00, 0x01, 0x00, 0x00});
  ASSERT_TRUE(ParseSmbReply(valid));
  for (std::size_t size = 0; size < valid.size(); ++size) {
    EXPECT_FALSE(ParseSmbReply(ByteSpan(valid).first(size))) << "cut at " << size;
  }
  Bytes request = valid;
  request[9] = 0x00;
  Bytes magic = valid;
  magic[0] = 0xFE;
  const Bytes cases[] = {
      request,
      magic,
      Reply(0xD7, 1, 0, 0, {0x02, 0x00, 0x00, 0x00, 0x00}),        // words run past the end
      Reply(0xD7, 1, 0, 0, {0x00, 0x05, 0x00, 0x01, 0x02}),        // bytes run past the end
      Reply(0xD7, 1, 0, 0, {0xFF}),
  };
  for (const Bytes& bytes : cases) EXPECT_FALSE(ParseSmbReply(bytes));
}

TEST(SmbMessage, ReadsBothFormsOfTheStatus) {
  struct Case {
    std::uint32_t status;
    std::uint16_t flags2;
    bool nt_status;
    std::uint8_t error_class;
    std::uint16_t code;
  };
  const Case cases[] = {
      {0, 0, false, 0x00, 0},
      {0x00470001, 0, false, 0x01, 71},       // ERRDOS 71
      {0x00310002, 0, false, 0x02, 0x31},     // ERRSRV 0x31
      {0x00050003, 0x0001, false, 0x03, 5},   // ERRHRD 5; other flags2 bits say nothing
      {0xC0000022, 0x4000, true, 0x22, 0xC000},
      {0xC0000022, 0xC001, true, 0x22, 0xC000},
  };
  for (const Case& c : cases) {
    const auto reply = ParseSmbReply(Reply(0xD5, 1, c.status, c.flags2, {0x00, 0x00, 0x00}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, c.status);
    EXPECT_EQ(HasNtStatus(*reply), c.nt_status) << std::hex << c.status;
    const DosError error = DosErrorOf(reply->status);
    EXPECT_EQ(error.error_class, c.error_class) << std::hex << c.status;
    EXPECT_EQ(error.code, c.code) << std::hex << c.status;
  }
}

std::vector<std::size_t> BlockSizes(std::string_view text) {
  std::vector<std::size_t> sizes;
  for (const std::string_view block : SplitTextIntoBlocks(text, kMaxTextBlockBytes)) {
    sizes.push_back(block.size());
  }
  return sizes;
}

TEST(TextBlocks, CutsAtMost128BytesAndNeverInsideACharacter) {
  const std::string a127(127, 'a');
  const std::string dbcs = "\x82\xa0";  // U+3042
  struct Case {
    std::string text;
    std::vector<std::size_t> sizes;
  };
  const Case cases[] = {
      {"", {}},
      {"abc", {3}},
      {std::string(128, 'a'), {128}},
      {std::string(129, 'a'), {128, 1}},
      {Concat({a127, dbcs}), {127, 2}},
      {Concat({"a", a127, dbcs}), {128, 2}},
      {Concat({std::string(126, 'a'), dbcs}), {128}},
      {Repeat(dbcs, 64), {128}},
      {Repeat(dbcs, 65), {128, 2}},
      {Concat({"a", Repeat(dbcs, 64)}), {127, 2}},
      {Concat({a127, "\x82"}), {128}},  // a lead byte at the very end has nothing to keep with
  };
  for (const Case& c : cases) EXPECT_EQ(BlockSizes(c.text), c.sizes) << c.text.size();
}

}  // namespace
}  // namespace wirenote::messenger
