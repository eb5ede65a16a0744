#include "messenger_wire/text_blocks.h"

#include <cstdint>

#include "platform/cp932.h"

namespace wirenote::messenger {

std::vector<std::string_view> SplitTextIntoBlocks(std::string_view cp932,
                                                  std::size_t max_block_bytes) {
  std::vector<std::string_view> blocks;
  std::size_t block_start = 0;
  std::size_t at = 0;
  while (at < cp932.size()) {
    const bool double_byte =
        IsCp932LeadByte(static_cast<std::uint8_t>(cp932[at])) && at + 1 < cp932.size();
    const std::size_t character_bytes = double_byte ? 2 : 1;
    if (at + character_bytes - block_start > max_block_bytes) {
      blocks.push_back(cp932.substr(block_start, at - block_start));
      block_start = at;
    }
    at += character_bytes;
  }
  if (block_start < cp932.size()) blocks.push_back(cp932.substr(block_start));
  return blocks;
}

}  // namespace wirenote::messenger
