// Any recipient text: a strict dotted quad is read as exactly the address it
// spells, and nothing the system resolver would read as a number (by
// inet_aton's rules: octal, hex, fewer parts) passes for a name.
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "messenger/recipient_address.h"

namespace {

// Whether the resolver takes `text` for an IPv4 address without asking
// anyone.
bool ResolverReadsAsNumber(const std::string& text) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* result = nullptr;
  if (getaddrinfo(text.c_str(), nullptr, &hints, &result) != 0) return false;
  freeaddrinfo(result);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wirenote::messenger;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const bool numeric = IsNumericSpelling(text);
  if (const auto address = ParseIpv4Literal(text)) {
    char spelled[INET_ADDRSTRLEN] = {};
    in_addr raw;
    std::memcpy(&raw, address->data(), sizeof raw);
    if (inet_ntop(AF_INET, &raw, spelled, sizeof spelled) == nullptr || text != spelled) __builtin_trap();
    if (!numeric) __builtin_trap();
  }
  if (text.find('\0') == std::string_view::npos && ResolverReadsAsNumber(std::string(text)) && !numeric) {
    __builtin_trap();
  }
  return 0;
}
