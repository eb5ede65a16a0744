#include "code_page_posix.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "delivery/delivery.h"
#include "made_locale.h"
#include "posix_platform.h"

namespace wirenote {
namespace {

class LocaleScope {
 public:
  explicit LocaleScope(const char* name) : saved_(std::setlocale(LC_CTYPE, nullptr)) {
    std::setlocale(LC_CTYPE, name);
  }
  ~LocaleScope() { std::setlocale(LC_CTYPE, saved_.c_str()); }

 private:
  std::string saved_;
};

std::u16string Convert(std::string_view bytes) {
  PosixPlatform platform;
  const int needed = platform.MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                                  static_cast<int>(bytes.size()), nullptr, 0);
  // Exactly the room asked for, so that a write past it is caught.
  std::vector<WCHAR> wide(static_cast<std::size_t>(needed));
  const int written = platform.MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                                   static_cast<int>(bytes.size()), wide.data(),
                                                   needed);
  EXPECT_EQ(written, needed);
  return std::u16string(wide.begin(), wide.end());
}

TEST(MultiByteToWideCharTest, CodePage932AsWindowsConvertsIt) {
  LocaleScope c_locale("C");
  ASSERT_EQ(CharsetForCodePage(CP_ACP), "CP932");
  const struct {
    const char* what;
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"ASCII and CR LF", "abc\r\n", u"abc\r\n"},
      {"hiragana", "\x82\xa0", u"\u3042"},
      {"half-width katakana", "\xb1\xdf", u"\uff71\uff9f"},
      {"NEC and IBM extensions", "\x87\x40\xed\x40", u"\u2460\u7e8a"},
      {"a lone lead byte at the end", "a\x82", u"a\u30fb"},
      {"a lead byte takes an invalid trail byte along", "\x82\x0a" "b", u"\u30fb" "b"},
      {"bytes with no character", "\x80\xa0\xfd\xfe\xff", u"\u30fb\u30fb\u30fb\u30fb\u30fb"},
      {"a zero byte is converted like any other", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Convert(c.bytes), c.units) << c.what;
  }
}

TEST(MultiByteToWideCharTest, Utf8LocaleMeansUtf8) {
  LocaleScope utf8("C.UTF-8");
  ASSERT_EQ(CharsetForCodePage(CP_ACP), "UTF-8");
  EXPECT_EQ(Convert("\xe3\x81\x82 \xf0\x9f\x98\x80"), u"\u3042 \U0001F600");
  EXPECT_EQ(Convert("a\xff" "b"), u"a\ufffd" "b");
}

TEST(MultiByteToWideCharTest, NeverWritesPastTheCapacity) {
  LocaleScope c_locale("C");
  PosixPlatform platform;
  WCHAR wide[3] = {0x1111, 0x1111, 0x1111};
  EXPECT_EQ(platform.MultiByteToWideChar(CP_ACP, 0, "abcd", 4, wide, 2), 0);
  EXPECT_EQ(platform.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(wide[2], 0x1111);
  EXPECT_EQ(platform.MultiByteToWideChar(CP_ACP, 0, "", 0, wide, 3), 0);
  EXPECT_EQ(platform.MultiByteToWideChar(CP_ACP, 0, "ab", 2, wide, 2), 2);
  EXPECT_EQ(std::u16string(wide, 3), u"ab\x1111");
}

// TSCII: one byte can be a syllable of up to four units, and a vowel sign
// written before its consonant follows it in UTF-16. No distribution ships a
// TSCII locale; the test makes one.
class TsciiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!locale_.made()) {
      const char* ci = std::getenv("CI");
      if (ci == nullptr || std::string(ci) != "true") GTEST_SKIP() << "localedef cannot make " << locale_.name();
      FAIL() << "localedef cannot make " << locale_.name();
    }
    setenv("LOCPATH", locale_.directory().c_str(), 1);
    scope_.emplace(locale_.name().c_str());
    ASSERT_EQ(CharsetForCodePage(CP_ACP), "TSCII");
  }
  void TearDown() override {
    scope_.reset();
    unsetenv("LOCPATH");
  }

  testing::MadeLocale locale_{"ta_IN", "TSCII"};
  std::optional<LocaleScope> scope_;
};

TEST_F(TsciiTest, OneByteGivesSeveralUnitsAndAFullBufferFailsAsOnWindows) {
  EXPECT_EQ(Convert("a\x82\xa6\xb8"), u"a\u0bb8\u0bcd\u0bb0\u0bc0\u0b95\u0bc6");
  PosixPlatform platform;
  WCHAR wide[5] = {0x1111, 0x1111, 0x1111, 0x1111, 0x1111};
  EXPECT_EQ(platform.MultiByteToWideChar(CP_ACP, 0, "a\x82", 2, wide, 4), 0);
  EXPECT_EQ(platform.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(wide, 5), std::u16string(5, u'\x1111'));
}

// The message buffer holds 1600 units; 400 four-unit syllables and more do
// not fit, and what fits of them is sent, cut between syllables.
TEST_F(TsciiTest, ATextTooLongForTheMessageBufferGivesItsWholeSyllablesThatFit) {
  const std::u16string syllable = u"\u0bb8\u0bcd\u0bb0\u0bc0";
  const struct {
    const char* what;
    std::string text;
    std::u16string converted;
  } cases[] = {
      {"a letter and 500 syllables", "a" + std::string(500, '\x82') + "\r\n",
       [&] {
         std::u16string all = u"a";
         for (int i = 0; i < 399; ++i) all += syllable;
         return all;
       }()},
      // Cut after the sign, the text would be as many units as fit, but end
      // in the sign alone.
      {"a vowel sign before its consonant at the end is left out with it",
       std::string(1599, 'x') + "\xa6\xb8", std::u16string(1599, u'x')},
      {"a vowel sign and its consonant that fit", std::string(1598, 'x') + "\xa6\xb8" "y",
       std::u16string(1598, u'x') + u"\u0b95\u0bc6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PosixPlatform platform;
    std::vector<WCHAR> buffer(MessageBufferBytes / sizeof(WCHAR) + 1, 0x1111);
    const int units = ConvertToUtf16(platform, c.text, buffer.data(), MessageBufferBytes);
    EXPECT_EQ(std::u16string(buffer.data(), static_cast<std::size_t>(units)), c.converted);
    EXPECT_EQ(buffer.back(), 0x1111);
  }
}

TEST(WideCharToMultiByteTest, ToCodePage932AsWindowsConvertsIt) {
  LocaleScope utf8("C.UTF-8");
  PosixPlatform platform;
  const std::u16string units = u"\u3042a\uff71\u00fc";
  const int units_given = static_cast<int>(units.size());
  BOOL used_default = FALSE;
  EXPECT_EQ(platform.WideCharToMultiByte(932, 0, units.data(), units_given, nullptr, 0, nullptr,
                                         &used_default),
            5);
  EXPECT_EQ(used_default, TRUE);
  char bytes[6] = {'#', '#', '#', '#', '#', '#'};
  EXPECT_EQ(platform.WideCharToMultiByte(932, 0, units.data(), units_given, bytes, 5, nullptr,
                                         nullptr),
            5);
  EXPECT_EQ(std::string(bytes, 6), "\x82\xa0" "a\xb1?#");
  EXPECT_EQ(platform.WideCharToMultiByte(932, 0, units.data(), units_given, bytes, 5, "*",
                                         &used_default),
            5);
  EXPECT_EQ(std::string(bytes, 5), "\x82\xa0" "a\xb1*");
  // Short of room: nothing written, the error Windows gives.
  char short_of_room[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(platform.WideCharToMultiByte(932, 0, units.data(), units_given, short_of_room, 3,
                                         nullptr, nullptr),
            0);
  EXPECT_EQ(platform.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(short_of_room, 4), "####");
  // The user's code page is the locale's: UTF-8 here, with every character.
  EXPECT_EQ(platform.WideCharToMultiByte(CP_ACP, 0, units.data(), units_given, bytes, 6, nullptr,
                                         nullptr),
            0);
  EXPECT_EQ(platform.WideCharToMultiByte(CP_ACP, 0, units.data(), units_given, nullptr, 0, nullptr,
                                         nullptr),
            9);
}

TEST(CodePageTest, EncodesToCodePage932WithQuestionMarks) {
  std::string out;
  EXPECT_TRUE(EncodeFromUtf16("CP932", u"\u3042a\uff71", &out));
  EXPECT_EQ(out, "\x82\xa0" "a\xb1");
  EXPECT_FALSE(EncodeFromUtf16("CP932", u"x\u00e9\U0001F600\xd800y", &out));
  EXPECT_EQ(out, "x???y");
}

TEST(CodePageTest, TerminalHelpers) {
  EXPECT_EQ(Cp932ToUtf8("\xca\xdf\x82\xa0" "a\x80"), "ﾊﾟあa?");
  EXPECT_TRUE(EndsInLeadByte("a\x82"));
  EXPECT_FALSE(EndsInLeadByte("a\x82\xa0"));
  EXPECT_TRUE(EndsInLeadByte("\x82\xa0\x82"));
  EXPECT_FALSE(EndsInLeadByte("\xb1"));
  EXPECT_FALSE(EndsInLeadByte(""));
}

}  // namespace
}  // namespace wirenote
