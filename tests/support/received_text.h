// The message text a fake receiver was sent: the text of every SEND_TEXT
// block, in order, each block checked for the length it gives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_receiver.h"
#include "receiver_behaviour.h"

namespace wirenote::testing {

inline std::string ReceivedText(const std::vector<messenger::testing::ReceivedFrame>& frames) {
  using messenger::testing::kSendText;
  using messenger::testing::kSmbHeader;
  // After the header: WordCount 1, group id, ByteCount, 01, length, text.
  constexpr std::size_t kTextAt = kSmbHeader + 8;
  std::string text;
  for (const messenger::testing::ReceivedFrame& frame : frames) {
    if (frame.type != 0x00 || frame.payload.size() < kTextAt || frame.payload[4] != kSendText) {
      continue;
    }
    const std::size_t length = frame.payload[kTextAt - 2] | frame.payload[kTextAt - 1] << 8;
    EXPECT_EQ(frame.payload.size(), kTextAt + length);
    text.append(frame.payload.begin() + kTextAt, frame.payload.end());
  }
  return text;
}

}  // namespace wirenote::testing
