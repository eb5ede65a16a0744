// Bytes written out by hand for the messenger's tests: small builders and
// the first-level encoded names the tests compare against. Depends on the
// wire layer's byte types alone, so the wire tests stay free of any OS.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "messenger_wire/wire_bytes.h"

namespace wirenote::messenger::testing {

inline Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The pieces one after the other. Built by appending, not by operator+ on
// temporaries, which GCC 12 at -O3 warns about (-Wrestrict) wrongly.
inline std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string all;
  for (const std::string_view part : parts) all.append(part);
  return all;
}

inline std::string Repeat(std::string_view text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all.append(text);
  return all;
}

// First-level encoded labels, written out by hand.
inline const std::string kWnrecv03 = Concat({"FHEOFCEFEDFG", Repeat("CA", 9), "AD"});
inline const std::string kWnrecv00 = Concat({"FHEOFCEFEDFG", Repeat("CA", 9), "AA"});
inline const std::string kTester00 = Concat({"FEEFFDFEEFFC", Repeat("CA", 9), "AA"});
inline const std::string kSmbServer20 = Concat({"CKFDENECFDEFFCFGEFFC", Repeat("CA", 5), "CA"});
inline const std::string kLocalhost03 = Concat({"EMEPEDEBEMEIEPFDFE", Repeat("CA", 6), "AD"});
inline const std::string kWildcard = Concat({"CK", Repeat("AA", 15)});

// A label as it travels: its length byte, the label, the empty scope.
inline Bytes Encoded(std::string_view label) { return Cat({{0x20}, B(label), {0x00}}); }

// One name of a node status answer: the name padded with spaces to 15
// bytes, its suffix, its flags. Written in place: GCC 12 at -O3 warns
// (-Warray-bounds) wrongly about growing a vector by resize here.
inline Bytes NodeStatusName(std::string_view name, std::uint8_t suffix, std::uint16_t flags) {
  Bytes entry(18, ' ');
  const std::string_view text = name.substr(0, 15);
  std::copy(text.begin(), text.end(), entry.begin());
  entry[15] = suffix;
  entry[16] = static_cast<std::uint8_t>(flags >> 8);
  entry[17] = static_cast<std::uint8_t>(flags);
  return entry;
}

// An SMB header as a request carries it, with no status and no flags.
inline Bytes SmbHeader(std::uint8_t command, std::uint16_t pid, std::uint16_t mid) {
  return {0xFF, 'S', 'M', 'B', command, 0, 0, 0, 0, 0x00, 0, 0, 0, 0,
          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF,
          static_cast<std::uint8_t>(pid), static_cast<std::uint8_t>(pid >> 8), 0, 0,
          static_cast<std::uint8_t>(mid), static_cast<std::uint8_t>(mid >> 8)};
}

// A reply to `command` with `status` (of the form `flags2` says) and the
// word and byte blocks given.
inline Bytes Reply(std::uint8_t command, std::uint16_t mid, std::uint32_t status,
                   std::uint16_t flags2, const Bytes& words_and_bytes) {
  Bytes reply = SmbHeader(command, 0x1234, mid);
  reply[5] = static_cast<std::uint8_t>(status);
  reply[6] = static_cast<std::uint8_t>(status >> 8);
  reply[7] = static_cast<std::uint8_t>(status >> 16);
  reply[8] = static_cast<std::uint8_t>(status >> 24);
  reply[9] = 0x80;
  reply[10] = static_cast<std::uint8_t>(flags2);
  reply[11] = static_cast<std::uint8_t>(flags2 >> 8);
  return Cat({reply, words_and_bytes});
}

}  // namespace wirenote::messenger::testing
