#include "search_cases.h"

#include <gtest/gtest.h>

namespace wirenote::testing {

const std::vector<SearchEntry>& SearchEntries() {
  // Out of name order, so that the order a directory keeps cannot pass for
  // name order.
  static const std::vector<SearchEntry> entries = {
      {"msg2.txt", false},
      {"msg10.txt", false},
      {"msg1.txt", false},
      {"msgdir", true},
      {"a-file", false},
      {"a-dir", true},
      {"c-zdir", true},
      {"c-file", false},
      {"b", false},
      {"[abc]", false},
      {"[abc]x", false},
      {"[ab]x", false},
      {"back\\slash", false},
      {"x*a-star", false},
      {".hidden", false},
      {"with space.txt", false},
      {"\xff\xfe-not-utf8.txt", false},
      {"sub", true},
      {"sub/inner.txt", false},
      {"sub/zz", true},
  };
  return entries;
}

const std::vector<SearchCase>& SearchCases() {
  static const std::vector<SearchCase> cases = {
      // Names without a wildcard: looked up as they are.
      {"a plain name", "msg1.txt", true, "msg1.txt", false},
      {"a directory by name", "msgdir", true, "msgdir", true},
      {"brackets are no class", "[abc]", true, "[abc]", false},
      {"a backslash escapes nothing", "back\\slash", true, "back\\slash", false},
      {"a space", "with space.txt", true, "with space.txt", false},
      {"a name inside a directory", "sub/inner.txt", true, "inner.txt", false},
      {"a directory given with a slash", "msgdir/", true, "", true},
      {"the directory itself", ".", true, ".", true},
      {"its parent", "..", true, "..", true},
      {"the parent of a directory inside", "sub/..", true, "..", true},
      {"a file given with a slash", "msg1.txt/", false, "", false},
      {"a missing name", "missing", false, "", false},
      {"names differ in case", "MSG1.TXT", false, "", false},
      {"a name inside a missing directory", "missing-dir/file", false, "", false},
      {"a wildcard before the last slash is a byte like any other", "s*b/inner.txt", false, "",
       false},

      // `?`: any one byte.
      {"? for one byte", "msg?.txt", true, "msg1.txt", false},
      {"? is exactly one byte", "msg?", false, "", false},
      {"? matches the directory's own entry first", "?", true, ".", true},
      {"?? matches the parent's entry", "??", true, "..", true},

      // `*`: any run of bytes, none included.
      {"* for a run", "msg*", true, "msg1.txt", false},
      {"* for an empty run", "msg1*.txt", true, "msg1.txt", false},
      {"* that has to try again", "*0.txt", true, "msg10.txt", false},
      {"several *", "m*g*.t?t", true, "msg1.txt", false},
      {"* alone: . comes first", "*", true, ".", true},
      {"*.*: . has a dot", "*.*", true, ".", true},
      {"* before: first match a directory", "*dir", true, "a-dir", true},
      {"* after: first match a directory", "a-*", true, "a-dir", true},
      {"first match a file before a directory", "c-*", true, "c-file", false},
      {"brackets are bytes, not a class", "[abc]*", true, "[abc]", false},
      {"[ matches only itself", "[a*", true, "[ab]x", false},
      {"a backslash before a wildcard escapes nothing", "back\\*", true, "back\\slash", false},
      {"a name holding a * of its own", "x*-star", true, "x*a-star", false},
      {"a leading dot is matched like any byte", "*hidden", true, ".hidden", false},
      {"a leading dot given", ".h*", true, ".hidden", false},
      {"bytes that are not UTF-8", "\xff\xfe*", true, "\xff\xfe-not-utf8.txt", false},
      {"in a directory", "sub/*.txt", true, "inner.txt", false},
      {"in a directory: . comes first", "sub/*", true, ".", true},
      {"in a directory: a directory", "sub/z*", true, "zz", true},
      {"nothing matches", "none*", false, "", false},
      {"a wildcard in a directory's name is a byte like any other", "su?/*", false, "", false},
      {"in a missing directory", "missing-dir/*", false, "", false},
      {"in a file", "a-file/*", false, "", false},
  };
  return cases;
}

void ExpectEverySearchCase(Platform& platform, const std::string& directory) {
  for (const SearchCase& c : SearchCases()) {
    SCOPED_TRACE(c.what + ": " + c.pattern);
    WIN32_FIND_DATAA data;
    const HANDLE search = platform.FindFirstFileA((directory + c.pattern).c_str(), &data);
    if (!c.found) {
      EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "found " << data.cFileName;
      EXPECT_NE(platform.GetLastError(), ERROR_SUCCESS);
      continue;
    }
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::string(data.cFileName), c.first);
    EXPECT_EQ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, c.directory);
    EXPECT_TRUE(platform.FindClose(search));
  }
}

}  // namespace wirenote::testing
