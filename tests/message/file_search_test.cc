// The fake platform's directory search against the shared search table, the
// same table the POSIX back answers over a real directory
// (file_search_posix_test.cc): what the unit tests find through the fake is
// what the program finds on the system.
#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "search_cases.h"

namespace wirenote {
namespace {

using testing::ExpectEverySearchCase;
using testing::SearchEntries;
using testing::SearchEntry;

void AddSearchEntries(FakePlatform& platform, const std::string& directory) {
  for (const SearchEntry& entry : SearchEntries()) {
    platform.files[directory + entry.name].attributes =
        entry.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  }
}

TEST(FakeFileSearchTest, AnswersTheSharedTableInTheCurrentDirectory) {
  FakePlatform platform;
  AddSearchEntries(platform, "");
  ExpectEverySearchCase(platform, "");
  EXPECT_EQ(platform.open_searches, 0);
}

TEST(FakeFileSearchTest, AnswersTheSharedTableInADirectoryGivenByName) {
  // Entries beside the directory must not show in it.
  FakePlatform platform;
  AddSearchEntries(platform, "top/");
  platform.files["top-level.txt"].contents = "beside";
  platform.files["0-first"].attributes = FILE_ATTRIBUTE_DIRECTORY;
  ExpectEverySearchCase(platform, "top/");
  EXPECT_EQ(platform.open_searches, 0);
}

}  // namespace
}  // namespace wirenote
