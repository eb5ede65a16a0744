#include "messenger_wire/netbios_name.h"

#include <cstddef>

#include "platform/cp932.h"

namespace wirenote::messenger {
namespace {

constexpr std::uint8_t kPadding = 0x20;
constexpr std::uint8_t kNibbleBase = 'A';

}  // namespace

std::string UpperCaseOem(std::string_view text) {
  std::string upper(text);
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(upper[i]);
    if (IsCp932LeadByte(byte)) {
      ++i;  // the trail byte stays as it is
    } else if (byte >= 'a' && byte <= 'z') {
      upper[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return upper;
}

std::optional<NetbiosName> MakeNetbiosName(std::string_view text, std::uint8_t suffix) {
  if (text.empty() || text.size() > kNetbiosNameTextBytes) return std::nullopt;
  NetbiosName name;
  name.fill(kPadding);
  const std::string upper = UpperCaseOem(text);
  for (std::size_t i = 0; i < upper.size(); ++i) name[i] = static_cast<std::uint8_t>(upper[i]);
  name[kNetbiosNameTextBytes] = suffix;
  return name;
}

std::string NetbiosNameText(const NetbiosName& name) {
  std::size_t length = kNetbiosNameTextBytes;
  while (length > 0 && name[length - 1] == kPadding) --length;
  return std::string(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
}

NetbiosName WildcardName() {
  NetbiosName name{};
  name[0] = '*';
  return name;
}

EncodedName EncodeName(const NetbiosName& name) {
  EncodedName encoded{};
  encoded[0] = kEncodedLabelLength;
  for (std::size_t i = 0; i < name.size(); ++i) {
    encoded[1 + 2 * i] = static_cast<std::uint8_t>(kNibbleBase + (name[i] >> 4));
    encoded[2 + 2 * i] = static_cast<std::uint8_t>(kNibbleBase + (name[i] & 0x0F));
  }
  encoded[kEncodedNameBytes - 1] = 0;
  return encoded;
}

std::optional<NetbiosName> DecodeNameLabel(ByteSpan label) {
  if (label.size() != 2 * kNetbiosNameBytes) return std::nullopt;
  NetbiosName name;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto high = static_cast<std::uint8_t>(label[2 * i] - kNibbleBase);
    const auto low = static_cast<std::uint8_t>(label[2 * i + 1] - kNibbleBase);
    if (high > 0x0F || low > 0x0F) return std::nullopt;
    name[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return name;
}

}  // namespace wirenote::messenger
