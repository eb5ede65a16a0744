// What a recipient written as numbers means, and which addresses the client
// may connect to at all.
#include <gtest/gtest.h>

#include <string_view>

#include "messenger/recipient_address.h"

namespace wirenote::messenger {
namespace {

TEST(RecipientAddress, TakesOnlyStrictDottedQuadsAsAddresses) {
  EXPECT_EQ(ParseIpv4Literal("127.0.0.1"), (Ipv4Address{127, 0, 0, 1}));
  EXPECT_EQ(ParseIpv4Literal("255.255.255.255"), (Ipv4Address{255, 255, 255, 255}));
  for (const char* text : {"127.1", "1.2.3", "1.2.3.4.5", "256.1.1.1", "0x7f.0.0.1", " 1.2.3.4", "1.2.3.4 ",
                           "1.2.3.-4", "01.2.3.4", "WNRECV", ""}) {
    EXPECT_FALSE(ParseIpv4Literal(text)) << text;
  }
  EXPECT_FALSE(ParseIpv4Literal(std::string_view("1.2.3.4\0", 8)));
}

// Everything inet_aton reads as an address is numeric, so that no such
// spelling gets past as a name; names with letters stay names.
TEST(RecipientAddress, TellsNumbersFromNames) {
  for (const char* text : {"1.2.3.4", "192.168.001.010", "0300.0250.1.10", "0x7f.1", "0X7F.0.0.1", "0xC0A80101",
                           "2130706433", "0", "127.1", "1.2.3.4.", ".1", "1..2", ".", "0x", "0xcafe.0XBEEF",
                           "99999999999"}) {
    EXPECT_TRUE(IsNumericSpelling(text)) << text;
  }
  for (const char* text : {"", "WNRECV", "CAFE", "DEAD.BEEF", "x0.1", "1.2.3.x", "12AB", "0xCAFEG", "00x1",
                           "1-2", "-1", "+1", "1 2", "1.2.3.4 ", "PC01", "1e5", "0x1.g"}) {
    EXPECT_FALSE(IsNumericSpelling(text)) << text;
  }
  EXPECT_FALSE(IsNumericSpelling(std::string_view("1\0", 2)));
}

// Which addresses stand for a single host. The broadcast addresses of this
// machine's own networks are the kernel's to know; the interop test, on a
// LAN of its own, shows one refused.
TEST(RecipientAddress, ConnectsOnlyToAddressesOfOneHost) {
  const struct {
    Ipv4Address address;
    bool unicast;
  } cases[] = {
      {{127, 0, 0, 1}, true},
      {{127, 0, 0, 11}, true},
      {{198, 51, 100, 1}, true},
      {{223, 255, 255, 254}, true},
      {{1, 0, 0, 0}, true},
      {{0, 0, 0, 0}, false},
      {{0, 1, 2, 3}, false},
      {{0, 255, 255, 255}, false},
      {{224, 0, 0, 1}, false},
      {{239, 255, 255, 250}, false},
      {{255, 255, 255, 255}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUnicastDestination(c.address), c.unicast)
        << int{c.address[0]} << "." << int{c.address[1]} << "." << int{c.address[2]} << "." << int{c.address[3]};
  }
}

}  // namespace
}  // namespace wirenote::messenger
