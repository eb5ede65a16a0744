#include "command_line.h"

#include <gtest/gtest.h>

namespace wirenote {
namespace {

using Args = std::vector<std::string>;

struct SplitCase {
  const char* rule;
  std::string line;
  Args expected;
};

TEST(SplitCommandLineTest, FollowsTheWindowsConvention) {
  const SplitCase cases[] = {
      {"empty line", "", {}},
      {"program name only", "wirenote.exe", {"wirenote.exe"}},
      {"spaces separate", "p a  b", {"p", "a", "b"}},
      {"every control byte separates", "p\x01" "a\tb\x1f" "c\x20" "d", {"p", "a", "b", "c", "d"}},
      {"leading and trailing separators", "  p a \t ", {"p", "a"}},
      {"quotes group a path with spaces", "p HOST \"C:\\my files\\m.txt\"",
       {"p", "HOST", "C:\\my files\\m.txt"}},
      {"quoted and unquoted stretches join", "p ab\"c d\"e", {"p", "abc de"}},
      {"a lone pair of quotes is no argument", "p \"\"", {"p"}},
      {"pairs before an argument are skipped", "p \"\"\"\"x \"\" y", {"p", "x", "y"}},
      {"a pair inside an argument is dropped", "p a\"\"b", {"p", "ab"}},
      {"an unclosed quote runs to the end", "p \"a b", {"p", "a b"}},
      {"a lone quote before the end ends the list", "p a \"", {"p", "a"}},
      {"a backslash is an ordinary byte", "p a\\\"b c\"", {"p", "a\\b c"}},
      {"double-byte characters pass whole", "p \x83\x65\x83\x58\x83\x67 \x95\x5c", {"p", "\x83\x65\x83\x58\x83\x67", "\x95\x5c"}},
      {"bytes 0x21-0xFF belong to arguments", "p \x7f\x80\xff!", {"p", "\x7f\x80\xff!"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.rule);
    EXPECT_EQ(SplitCommandLine(c.line), c.expected);
  }
}

TEST(SplitCommandLineTest, LongArgumentsAreNeverCut) {
  const std::string long_name(300, 'n');
  EXPECT_EQ(SplitCommandLine("p " + long_name + " x"), (Args{"p", long_name, "x"}));
}

TEST(SplitCommandLineTest, AZeroByteEndsTheLine) {
  EXPECT_EQ(SplitCommandLine(std::string("p a\0b c", 7)), (Args{"p", "a"}));
}

}  // namespace
}  // namespace wirenote
