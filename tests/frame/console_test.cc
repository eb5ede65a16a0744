#include "console/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "failure.h"
#include "fake_platform.h"

namespace wirenote {
namespace {

using Writes = std::vector<std::string>;

TEST(ConsoleTest, UsageToAPipeWritesOneFullBufferAtOnceAndTheRestAtClose) {
  FakePlatform platform;
  platform.standard_output_type = FILE_TYPE_PIPE;
  Console console(platform);
  console.WriteStatus(MsgUsage);
  EXPECT_EQ(platform.standard_output_writes, Writes{std::string(MsgUsage.substr(0, 128))});
  EXPECT_TRUE(console.Close());
  EXPECT_EQ(platform.standard_output_writes,
            (Writes{std::string(MsgUsage.substr(0, 128)), std::string(MsgUsage.substr(128))}));
}

TEST(ConsoleTest, StatusTextToAFileWaitsForClose) {
  for (DWORD type : {FILE_TYPE_DISK, FILE_TYPE_PIPE}) {
    FakePlatform platform;
    platform.standard_output_type = type;
    Console console(platform);
    console.WriteStatus(MsgSent);
    EXPECT_TRUE(platform.standard_output_writes.empty()) << type;
    console.Close();
    EXPECT_EQ(platform.standard_output_writes, Writes{std::string(MsgSent)}) << type;
  }
}

TEST(ConsoleTest, ConsoleGetsEachTextAtOnce) {
  FakePlatform platform;
  platform.standard_output_type = FILE_TYPE_CHAR;
  Console console(platform);
  console.WriteStatus(MsgUsage);
  EXPECT_EQ(platform.standard_output_writes,
            (Writes{std::string(MsgUsage.substr(0, 128)), std::string(MsgUsage.substr(128))}));
  console.Close();
  EXPECT_EQ(platform.standard_output_writes.size(), 2u);
}

TEST(ConsoleTest, ATextThatFillsTheBufferExactlyIsWrittenAtOnce) {
  const std::string exactly(128, 'x');
  FakePlatform platform;
  platform.standard_output_type = FILE_TYPE_DISK;
  Console console(platform);
  console.WriteStatus(exactly);
  EXPECT_EQ(platform.standard_output_writes, Writes{exactly});
  console.Close();
  EXPECT_EQ(platform.standard_output_writes, Writes{exactly});
}

TEST(ConsoleTest, MissingOrUnknownStandardOutputRaisesCode103AndWritesNothing) {
  for (bool present : {false, true}) {
    FakePlatform platform;
    platform.has_standard_output = present;
    platform.standard_output_type = FILE_TYPE_UNKNOWN;
    Console console(platform);
    try {
      console.WriteStatus(MsgTooFewParams);
      ADD_FAILURE() << "no failure raised";
    } catch (const EInOutError& failure) {
      EXPECT_EQ(failure.code(), 103u);
    }
    console.Close();
    EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "WriteFile"), 0);
  }
}

TEST(ConsoleTest, AFailedWriteRaisesTheSystemCodeAndDropsTheRest) {
  FakePlatform platform;
  platform.fail_write_number = 0;
  platform.write_error = ERROR_BROKEN_PIPE;
  Console console(platform);
  try {
    console.WriteStatus(MsgUsage);
    ADD_FAILURE() << "no failure raised";
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.code(), ERROR_BROKEN_PIPE);
  }
  EXPECT_TRUE(console.Close());
  EXPECT_TRUE(platform.standard_output_writes.empty());
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "WriteFile"), 1);
}

// The quiet close, for a run whose failure is being reported already.
TEST(ConsoleTest, AFailedWriteAtCloseIsOnlyReportedToTheCaller) {
  FakePlatform platform;
  platform.fail_write_number = 0;
  Console console(platform);
  EXPECT_NO_THROW(console.WriteStatus(MsgSent));
  EXPECT_FALSE(console.Close());
}

TEST(ConsoleTest, AFailedWriteWhenTheRunFinishesRaisesTheSystemCode) {
  const struct {
    const char* what;
    DWORD type;
    CatalogueText text;
    std::size_t failing_write;
    DWORD error;
    std::vector<std::string> written;
  } cases[] = {
      {"status text to a pipe whose reader has gone", FILE_TYPE_PIPE, MsgSent, 0, ERROR_BROKEN_PIPE,
       {}},
      {"status text to a full disk", FILE_TYPE_DISK, MsgFileNotFound, 0, ERROR_DISK_FULL, {}},
      {"the rest of the usage text", FILE_TYPE_PIPE, MsgUsage, 1, ERROR_BROKEN_PIPE,
       {std::string(MsgUsage.substr(0, 128))}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform platform;
    platform.standard_output_type = c.type;
    platform.fail_write_number = c.failing_write;
    platform.write_error = c.error;
    Console console(platform);
    EXPECT_NO_THROW(console.WriteStatus(c.text));
    try {
      console.Finish();
      ADD_FAILURE() << "no failure raised";
    } catch (const EInOutError& failure) {
      EXPECT_EQ(failure.code(), c.error);
    }
    EXPECT_EQ(platform.standard_output_writes, c.written);
    // Closed now: nothing is tried again.
    EXPECT_TRUE(console.Close());
    EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "WriteFile"),
              static_cast<std::ptrdiff_t>(c.failing_write + 1));
  }
}

TEST(ConsoleTest, FinishingWritesWhatWaitsAndNothingElse) {
  for (const DWORD type : {FILE_TYPE_CHAR, FILE_TYPE_DISK, FILE_TYPE_PIPE}) {
    SCOPED_TRACE(type);
    FakePlatform platform;
    platform.standard_output_type = type;
    Console console(platform);
    console.WriteStatus(MsgSent);
    EXPECT_NO_THROW(console.Finish());
    EXPECT_EQ(platform.standard_output_writes, Writes{std::string(MsgSent)});
  }
  FakePlatform never_opened;
  Console console(never_opened);
  EXPECT_NO_THROW(console.Finish());
  EXPECT_TRUE(never_opened.calls.empty());
}

TEST(ConsoleTest, OpensStandardOutputOnceAndNotBeforeTheFirstWrite) {
  FakePlatform platform;
  Console console(platform);
  EXPECT_TRUE(platform.calls.empty());
  console.WriteStatus(MsgSent);
  console.WriteStatus(MsgSent);
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "GetStdHandle"), 1);
  console.Close();
  EXPECT_EQ(platform.StandardOutput(), std::string(MsgSent) + std::string(MsgSent));
}

TEST(ConsoleTest, ClosingANeverOpenedConsoleWritesNothing) {
  FakePlatform platform;
  Console console(platform);
  EXPECT_TRUE(console.Close());
  EXPECT_TRUE(platform.calls.empty());
}

}  // namespace
}  // namespace wirenote
