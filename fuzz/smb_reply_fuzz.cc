// Any SMB message in reply: refused, or a reply whose words and bytes were
// inside it, with a status the client can answer with.
#include <cstddef>
#include <cstdint>

#include "messenger/windows_status.h"
#include "messenger_wire/smb_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wirenote::messenger;
  const auto reply = ParseSmbReply(ByteSpan(data, size));
  if (!reply) return 0;
  if (kSmbHeaderBytes + 1 + 2 * reply->words.size() + 2 + reply->data.size() > size) __builtin_trap();
  if ((reply->flags & kFlagsReply) == 0) __builtin_trap();
  const NET_API_STATUS status = WindowsStatusOf(*reply);
  if ((status == NERR_Success) != (reply->status == 0)) __builtin_trap();
  return 0;
}
