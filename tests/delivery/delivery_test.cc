#include "delivery/delivery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace wirenote {
namespace {

// Also keeps the whole name buffer and the capacity each conversion was given.
class DeliveryPlatform : public FakePlatform {
 public:
  std::vector<std::string> name_buffers;
  std::vector<int> capacities;
  bool conversion_throws = false;

  int MultiByteToWideChar(UINT code_page, DWORD flags, const char* multi_byte,
                          int multi_byte_bytes, WCHAR* wide, int wide_units) override {
    if (conversion_throws) throw std::bad_alloc();
    capacities.push_back(wide_units);
    return FakePlatform::MultiByteToWideChar(code_page, flags, multi_byte, multi_byte_bytes, wide,
                                             wide_units);
  }
  NET_API_STATUS NetMessageBufferSend(const WCHAR* server_name, const WCHAR* message_name,
                                      const WCHAR* from_name, BYTE* buffer,
                                      DWORD buffer_bytes) override {
    name_buffers.emplace_back(reinterpret_cast<const char*>(message_name), NameBufferBytes);
    return FakePlatform::NetMessageBufferSend(server_name, message_name, from_name, buffer,
                                              buffer_bytes);
  }
};

std::string Utf16Le(std::u16string_view units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

struct Delivered {
  std::string message_buffer;
  std::string name_buffer;
  std::string output;
};

Delivered Deliver(DeliveryPlatform& platform, std::string_view name, std::string_view text) {
  Console console(platform);
  DeliverMessage(platform, console, name, text);
  console.Close();
  Delivered delivered;
  delivered.output = platform.StandardOutput();
  if (!platform.sends.empty()) {
    delivered.message_buffer = platform.sends.back().buffer;
    delivered.name_buffer = platform.name_buffers.back();
  }
  return delivered;
}

TEST(DeliverMessageTest, HandsOverTheFiveArgumentsAndTheWholeBuffer) {
  DeliveryPlatform platform;
  const Delivered delivered = Deliver(platform, "HOST", "abc\r\n");
  ASSERT_EQ(platform.sends.size(), 1u);
  const FakeSend& send = platform.sends[0];
  EXPECT_EQ(send.server_name, nullptr);
  EXPECT_EQ(send.from_name, nullptr);
  EXPECT_EQ(send.buffer_bytes, 3200u);
  EXPECT_EQ(delivered.message_buffer, Utf16Le(u"abc\r\n") + std::string(3190, '\0'));
  EXPECT_EQ(delivered.name_buffer, Utf16Le(u"HOST") + std::string(52, '\0'));
  EXPECT_EQ(delivered.output, MsgSent);
  // Message first, then the name, each within its buffer.
  EXPECT_EQ(platform.capacities, (std::vector<int>{1600, 0, 30}));
}

TEST(DeliverMessageTest, MessageBufferEdges) {
  const std::string wide_text = [] {
    std::string text;
    for (int i = 0; i < 800; ++i) text += "\x82\xa0";
    return text;
  }();
  const struct {
    const char* what;
    std::string text;
    std::string expected;
  } cases[] = {
      {"an empty text is still sent, all zero", "", std::string(3200, '\0')},
      {"1600 single-byte characters fill it with no zero unit", std::string(1600, 'x'),
       Utf16Le(std::u16string(1600, u'x'))},
      {"1600 bytes of double-byte characters are 800 units", wide_text,
       Utf16Le(std::u16string(800, char16_t{0x82A0})) + std::string(1600, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeliveryPlatform platform;
    const Delivered delivered = Deliver(platform, "HOST", c.text);
    ASSERT_EQ(platform.sends.size(), 1u);
    EXPECT_EQ(delivered.message_buffer, c.expected);
    EXPECT_EQ(delivered.output, MsgSent);
  }
}

TEST(DeliverMessageTest, NameBufferEdges) {
  {
    DeliveryPlatform platform;
    const Delivered delivered = Deliver(platform, std::string(29, 'N'), "hi");
    ASSERT_EQ(platform.sends.size(), 1u);
    EXPECT_EQ(delivered.name_buffer, Utf16Le(std::u16string(29, u'N')) + std::string(2, '\0'));
  }
  {
    DeliveryPlatform platform;
    const Delivered delivered = Deliver(platform, "", "hi");
    ASSERT_EQ(platform.sends.size(), 1u);
    EXPECT_EQ(delivered.name_buffer, std::string(60, '\0'));
  }
  // A name that cannot end within the buffer is never handed over.
  for (std::size_t units : {30u, 31u, 500u}) {
    DeliveryPlatform platform;
    const Delivered delivered = Deliver(platform, std::string(units, 'N'), "hi");
    EXPECT_TRUE(platform.sends.empty()) << units;
    EXPECT_EQ(delivered.output, MsgInvalidParameter) << units;
  }
}

TEST(DeliverMessageTest, StatusTable) {
  const struct {
    NET_API_STATUS status;
    CatalogueText text;
  } rows[] = {
      {0, MsgSent},
      {5, MsgAccessDenied},
      {50, MsgNotSupported},
      {87, MsgInvalidParameter},
      {2136, MsgNetworkError},
      {2273, MsgNameNotFound},
      {1, MsgSendFailed},
      {88, MsgSendFailed},
      {2137, MsgSendFailed},
      {0x80000000u | 5, MsgSendFailed},
      {0xFFFFFFFF, MsgSendFailed},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(StatusTextFor(row.status), row.text) << row.status;
    DeliveryPlatform platform;
    platform.send_status = row.status;
    const Delivered delivered = Deliver(platform, "HOST", "hi\r\n");
    // Exactly one text, and nothing else.
    EXPECT_EQ(delivered.output, row.text) << row.status;
    EXPECT_EQ(platform.sends.size(), 1u);
  }
}

TEST(DeliverMessageTest, WritesItsTextEvenWhenConversionFails) {
  DeliveryPlatform platform;
  platform.conversion_throws = true;
  Console console(platform);
  EXPECT_THROW(DeliverMessage(platform, console, "HOST", "hi"), std::bad_alloc);
  console.Close();
  EXPECT_TRUE(platform.sends.empty());
  EXPECT_EQ(platform.StandardOutput(), MsgSendFailed);
}

TEST(ConvertToUtf16Test, StoresAZeroUnitOnlyWhereThereIsRoom) {
  DeliveryPlatform platform;
  WCHAR buffer[4] = {0x1111, 0x1111, 0x1111, 0x1111};
  EXPECT_EQ(ConvertToUtf16(platform, "ab", buffer, sizeof buffer), 2);
  EXPECT_EQ(std::u16string(buffer, buffer + 4), std::u16string(u"ab\0\x1111", 4));
  WCHAR full[2] = {0x1111, 0x1111};
  EXPECT_EQ(ConvertToUtf16(platform, "ab", full, sizeof full), 2);
  EXPECT_EQ(std::u16string(full, full + 2), u"ab");
  EXPECT_EQ(ConvertToUtf16(platform, "", buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer[0], 0);
  // A text too long for the buffer gives what fits of it, never more.
  WCHAR guarded[3] = {0x1111, 0x1111, 0x1111};
  EXPECT_EQ(ConvertToUtf16(platform, "abc", guarded, 2 * sizeof(WCHAR)), 2);
  EXPECT_EQ(std::u16string(guarded, guarded + 3), u"ab\x1111");
}

// Bytes that each give several units, as in TSCII, where one byte is a whole
// syllable: three units for A6, four for AA.
const std::u16string kThreeUnits = u"\u0B95\u0BCD\u0BB7";
const std::u16string kFourUnits = u"\u0BB8\u0BCD\u0BB0\u0BC0";

void GiveSeveralUnits(FakePlatform& platform) {
  platform.several_unit_bytes['\xA6'] = kThreeUnits;
  platform.several_unit_bytes['\xAA'] = kFourUnits;
}

std::u16string Times(std::size_t count, std::u16string_view units) {
  std::u16string all;
  for (std::size_t i = 0; i < count; ++i) all += units;
  return all;
}

// A text whose units outnumber the message buffer's is never emptied: the
// longest prefix of whole characters that fits goes out.
TEST(DeliverMessageTest, ATextTooLongInUnitsSendsWhatFitsInWholeCharacters) {
  const std::string x1597(1597, 'x');
  const struct {
    const char* what;
    std::string text;
    std::u16string sent;
  } cases[] = {
      {"800 three-unit bytes: 533 of them fit", std::string(800, '\xA6'), Times(533, kThreeUnits)},
      {"400 four-unit bytes and a line break: 400 of them fill the buffer",
       std::string(400, '\xAA') + "\r\n", Times(400, kFourUnits)},
      {"a syllable that would end past the buffer is left out", std::string(1599, 'x') + "\xA6",
       std::u16string(1599, u'x')},
      {"a syllable that ends at the buffer's end is in", x1597 + "\xA6" + "y",
       std::u16string(1597, u'x') + kThreeUnits},
      {"a double-byte character at the end fills the last unit",
       std::string(533, '\xA6') + "\x82\xA0" + "z", Times(533, kThreeUnits) + u"\x82A0"},
      {"two double-byte characters across the last units",
       std::string(532, '\xA6') + "ab\x82\xA0\x82\xA0z",
       Times(532, kThreeUnits) + u"ab\x82A0\x82A0"},
      {"a double-byte character that would end past the buffer is left out",
       std::string(533, '\xA6') + "a\x82\xA0", Times(533, kThreeUnits) + u"a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_LE(c.sent.size(), 1600u);
    DeliveryPlatform platform;
    GiveSeveralUnits(platform);
    const Delivered delivered = Deliver(platform, "HOST", c.text);
    ASSERT_EQ(platform.sends.size(), 1u);
    EXPECT_EQ(delivered.message_buffer, Utf16Le(c.sent) + std::string(3200 - 2 * c.sent.size(), '\0'));
    EXPECT_EQ(delivered.name_buffer, Utf16Le(u"HOST") + std::string(52, '\0'));
    EXPECT_EQ(delivered.output, MsgSent);
  }
}

// A code page whose bytes are not in the order of the units they give: a
// vowel sign written before its consonant (A6, then the consonant) comes
// after it in UTF-16, as in TSCII; A6 with nothing behind it is the sign
// alone. A cut between the two gives as many units as the pair but not the
// same ones, and is never taken.
class ReorderingPlatform : public DeliveryPlatform {
 public:
  static constexpr char kVowelSignFirst = '\xA6';
  static constexpr char16_t kVowelSign = u'\u0BC6';

  int MultiByteToWideChar(UINT, DWORD, const char* multi_byte, int multi_byte_bytes, WCHAR* wide,
                          int wide_units) override {
    std::u16string units;
    for (int i = 0; i < multi_byte_bytes; ++i) {
      if (multi_byte[i] == kVowelSignFirst && i + 1 < multi_byte_bytes) {
        units.push_back(static_cast<unsigned char>(multi_byte[++i]) + 0x0B00);
        units.push_back(kVowelSign);
      } else if (multi_byte[i] == kVowelSignFirst) {
        units.push_back(kVowelSign);
      } else {
        units.push_back(static_cast<unsigned char>(multi_byte[i]));
      }
    }
    if (wide_units == 0) return static_cast<int>(units.size());
    if (units.size() > static_cast<std::size_t>(wide_units)) {
      insufficient_buffer = true;
      return 0;
    }
    std::copy(units.begin(), units.end(), wide);
    return static_cast<int>(units.size());
  }
  DWORD GetLastError() override {
    return insufficient_buffer ? ERROR_INSUFFICIENT_BUFFER : FakePlatform::GetLastError();
  }
  bool insufficient_buffer = false;
};

TEST(ConvertToUtf16Test, NeverCutsBetweenBytesThatMakeOneCharacter) {
  const struct {
    const char* what;
    std::string text;
    std::size_t room;
    std::u16string converted;
  } cases[] = {
      {"the cut falls inside the pair", "ab\xA6\x95", 3, u"ab"},
      {"the pair fits", "ab\xA6\x95" "c", 4, u"ab\u0B95\u0BC6"},
      {"a pair first that does not fit", "\xA6\x95" "c", 1, u""},
      {"pairs in a row", "\xA6\x95\xA6\x95\xA6\x95", 5, u"\u0B95\u0BC6\u0B95\u0BC6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReorderingPlatform platform;
    std::vector<WCHAR> buffer(c.room + 1, 0x1111);
    const int units = ConvertToUtf16(platform, c.text, buffer.data(), c.room * sizeof(WCHAR));
    EXPECT_EQ(std::u16string(buffer.begin(), buffer.begin() + units), c.converted);
    EXPECT_EQ(buffer[c.room], 0x1111);  // nothing past the buffer
    if (c.converted.size() < c.room) {
      EXPECT_EQ(buffer[c.converted.size()], 0);
    }
  }
}

}  // namespace
}  // namespace wirenote
