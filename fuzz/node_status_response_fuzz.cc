// Any datagram in answer to a node status request: refused, or names that
// were all inside it, of which at most one is taken as the messenger name.
#include <cstddef>
#include <cstdint>

#include "messenger_wire/name_service.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wirenote::messenger;
  const auto response = ParseNodeStatusResponse(ByteSpan(data, size));
  if (!response) return 0;
  if (response->names.size() * kNodeStatusEntryBytes > size) __builtin_trap();
  const auto name = MessengerNameIn(*response);
  if (name && (*name)[kNetbiosNameTextBytes] != kSuffixMessenger) __builtin_trap();
  return 0;
}
