// NetBIOS names: 15 bytes of OEM text padded with spaces plus a suffix byte
// that says which service the name stands for, and their first-level
// encoding as they travel in name-service packets and session requests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger {

inline constexpr std::size_t kNetbiosNameBytes = 16;
inline constexpr std::size_t kNetbiosNameTextBytes = 15;
// Length byte, 32 encoded bytes, the empty scope's terminating zero.
inline constexpr std::size_t kEncodedNameBytes = 34;
inline constexpr std::uint8_t kEncodedLabelLength = 0x20;

inline constexpr std::uint8_t kSuffixWorkstation = 0x00;
inline constexpr std::uint8_t kSuffixMessenger = 0x03;
inline constexpr std::uint8_t kSuffixFileServer = 0x20;

using NetbiosName = std::array<std::uint8_t, kNetbiosNameBytes>;
using EncodedName = std::array<std::uint8_t, kEncodedNameBytes>;

// `text` with its ASCII letters upper-cased; both bytes of every double-byte
// character are left as they are, since a trail byte can look like a letter.
std::string UpperCaseOem(std::string_view text);

// The name for `text` (upper-cased, space-padded) with `suffix`; none when
// `text` is empty or longer than 15 bytes.
std::optional<NetbiosName> MakeNetbiosName(std::string_view text, std::uint8_t suffix);

// The name's text without padding and suffix.
std::string NetbiosNameText(const NetbiosName& name);

// The wildcard name a node status query asks with: "*" and fifteen zeros.
NetbiosName WildcardName();

// First-level encoding: each byte as 'A' + high nibble, 'A' + low nibble,
// behind the length byte and followed by the empty scope.
EncodedName EncodeName(const NetbiosName& name);

// The reverse of the 32 encoded bytes; none if any byte is outside 'A'..'P'.
std::optional<NetbiosName> DecodeNameLabel(ByteSpan label);

}  // namespace wirenote::messenger
