// The POSIX back's directory search over a real directory, against the
// shared search table that the fake platform answers too
// (file_search_test.cc).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "posix_platform.h"
#include "run_binary.h"
#include "search_cases.h"

namespace wirenote {
namespace {

using testing::ExpectEverySearchCase;
using testing::SearchEntries;
using testing::SearchEntry;
using testing::TempDir;

void CreateSearchEntries(const TempDir& dir) {
  for (const SearchEntry& entry : SearchEntries()) {
    if (entry.directory) {
      ASSERT_EQ(mkdir((dir.path() + "/" + entry.name).c_str(), 0755), 0)
          << entry.name << ": " << std::strerror(errno);
    } else {
      dir.WriteFile(entry.name, "x");
    }
  }
}

TEST(PosixFileSearchTest, AnswersTheSharedTableInADirectoryGivenByName) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(CreateSearchEntries(dir));
  PosixPlatform platform;
  ExpectEverySearchCase(platform, dir.path() + "/");
}

TEST(PosixFileSearchTest, AnswersTheSharedTableInTheCurrentDirectory) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(CreateSearchEntries(dir));
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  PosixPlatform platform;
  ExpectEverySearchCase(platform, "");
  ASSERT_EQ(chdir(previous), 0);
}

TEST(PosixFileSearchTest, EachPlatformKnowsOnlyItsOwnSearches) {
  TempDir dir;
  dir.WriteFile("a", "a");
  PosixPlatform first;
  PosixPlatform second;
  WIN32_FIND_DATAA data;
  const HANDLE search = first.FindFirstFileA((dir.path() + "/a").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(second.FindClose(search));
  EXPECT_EQ(second.GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(first.FindClose(search));
}

}  // namespace
}  // namespace wirenote
