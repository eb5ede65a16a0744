// One table of directory searches, run both through the fake platform and
// through the POSIX back over a real directory, so that the fake the unit
// tests stand on finds what the real system finds.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace wirenote::testing {

// An entry of the directory the searches look in; "sub/name" lies in the
// directory "sub", which is listed as well.
struct SearchEntry {
  std::string name;
  bool directory;
};

struct SearchCase {
  std::string what;
  std::string pattern;  // relative to the directory
  bool found;
  std::string first;  // the first entry found, in name order
  bool directory;     // whether that entry is a directory
};

// The directory's entries, each directory before the entries inside it.
const std::vector<SearchEntry>& SearchEntries();

const std::vector<SearchCase>& SearchCases();

// Runs every case through `platform`, each pattern put after `directory`
// (empty, or a path that ends in '/'), and checks what it finds.
void ExpectEverySearchCase(Platform& platform, const std::string& directory);

}  // namespace wirenote::testing
