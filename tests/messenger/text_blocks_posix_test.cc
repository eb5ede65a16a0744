// The text blocks judged by the POSIX back's own reading of code page 932:
// no block ends in a lead byte whose trail byte went to the next block.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "code_page_posix.h"
#include "messenger_wire/smb_message.h"
#include "messenger_wire/text_blocks.h"

namespace wirenote::messenger {
namespace {

TEST(TextBlocks, JoinBackToTheTextWithNoDoubleByteCharacterCut) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += (i % 3 == 0) ? "x" : "\x88\x9f";  // U+4E9C
  text += "\r\n";
  std::string joined;
  for (const std::string_view block : SplitTextIntoBlocks(text, kMaxTextBlockBytes)) {
    EXPECT_LE(block.size(), kMaxTextBlockBytes);
    EXPECT_FALSE(EndsInLeadByte(block));
    joined += block;
  }
  EXPECT_EQ(joined, text);
}

}  // namespace
}  // namespace wirenote::messenger
