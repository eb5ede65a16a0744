// Cutting message text into SEND_TEXT blocks.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace wirenote::messenger {

// `cp932` in blocks of at most `max_block_bytes` (at least 2), each cut only
// between characters, so no block ends in the lead byte of a double-byte
// character. No blocks for empty text.
std::vector<std::string_view> SplitTextIntoBlocks(std::string_view cp932,
                                                  std::size_t max_block_bytes);

}  // namespace wirenote::messenger
