// Facts of code page 932 that the backs, the messenger client and the tests'
// fake platform all rely on, so that they can never disagree about where a
// character begins.
#pragma once

#include <cstdint>

namespace wirenote {

// Whether `byte` starts a double-byte character of code page 932. Its trail
// byte may look like anything from 0x40 up, an ASCII letter included.
constexpr bool IsCp932LeadByte(std::uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace wirenote
