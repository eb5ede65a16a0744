// Any datagram on the name-service port: the reader either refuses it or
// gives addresses that were all inside it.
#include <cstddef>
#include <cstdint>

#include "messenger_wire/name_service.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wirenote::messenger;
  const auto response = ParseNameQueryResponse(ByteSpan(data, size));
  if (!response) return 0;
  if (response->rcode != 0 && !response->addresses.empty()) __builtin_trap();
  if (response->addresses.size() * kNbAddressEntryBytes > size) __builtin_trap();
  return 0;
}
