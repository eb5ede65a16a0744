// Expected code page 932 bytes written as readable text. A test that spells
// its expectation in UTF-8 and has the system convert it cannot share a
// wrong byte with the code under test, as a copied byte escape can.
#pragma once

#include <string>
#include <string_view>

namespace wirenote::testing {

// `utf8` in code page 932 (Shift_JIS with the Windows extensions). Throws
// std::runtime_error when the text has no such form.
std::string Cp932FromUtf8(std::string_view utf8);

// The other way round, to show or compare what a code page 932 text says.
std::string Utf8FromCp932(std::string_view cp932);

}  // namespace wirenote::testing
