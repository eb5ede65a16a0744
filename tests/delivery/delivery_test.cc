#include "delivery/delivery.h"

#include <gtest/gtest.h>

#include <new>

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
  EXPECT_EQ(std::u16string(buffer, 4), std::u16string(u"ab\0\x1111", 4));
  WCHAR full[2] = {0x1111, 0x1111};
  EXPECT_EQ(ConvertToUtf16(platform, "ab", full, sizeof full), 2);
  EXPECT_EQ(std::u16string(full, 2), u"ab");
  EXPECT_EQ(ConvertToUtf16(platform, "", buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer[0], 0);
  // A text too long for the buffer converts to nothing rather than past it.
  EXPECT_EQ(ConvertToUtf16(platform, "abc", full, sizeof full), 0);
  EXPECT_EQ(full[0], 0);
}

}  // namespace
}  // namespace wirenote
