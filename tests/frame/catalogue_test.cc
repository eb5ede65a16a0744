#include "console/catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "cp932_text.h"

namespace wirenote {
namespace {

using testing::Utf8FromCp932;

struct CatalogueCase {
  const char* name;
  const CatalogueText* text;
  std::size_t bytes;
  const char* utf8;
};

const CatalogueCase kCatalogue[] = {
    {"MsgTooFewParams", &MsgTooFewParams, 20, "ﾊﾟﾗﾒｰﾀが足りません。"},
    {"MsgFileNotFound", &MsgFileNotFound, 28, "ﾒｯｾｰｼﾞﾌｧｲﾙが見つかりません。"},
    {"MsgSendFailed", &MsgSendFailed, 22, "送信できませんでした。"},
    {"MsgSent", &MsgSent, 30, "ﾒｯｾｰｼﾞは正常に送信されました。"},
    {"MsgAccessDenied", &MsgAccessDenied, 20, "ｱｸｾｽが拒否されました"},
    {"MsgInvalidParameter", &MsgInvalidParameter, 26, "ﾊﾟﾗﾒｰﾀが正しくありません。"},
    {"MsgNotSupported", &MsgNotSupported, 35, "ﾒｯｾｰｼﾞの送信はｻﾎﾟｰﾄされていません。"},
    {"MsgNameNotFound", &MsgNameNotFound, 35, "送信先のｺﾝﾋﾟｭｰﾀ名が見つかりません。"},
    {"MsgNetworkError", &MsgNetworkError, 40, "ﾈｯﾄﾜｰｸの障害により送信できませんでした。"},
    {"MsgParamError", &MsgParamError, 15, "ﾊﾟﾗﾒｰﾀｴﾗｰです。"},
    {"MsgNTOnly", &MsgNTOnly, 38, "This program runs under WindowsNT only"},
};

TEST(CatalogueTest, EveryTextIsItsWordingInCodePage932) {
  for (const CatalogueCase& c : kCatalogue) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text->size(), c.bytes);
    EXPECT_EQ(Utf8FromCp932(*c.text), c.utf8);
    EXPECT_EQ(c.text->find_first_of(std::string_view("\r\n\t\0", 4)), std::string_view::npos);
  }
}

TEST(CatalogueTest, FullStopIsTheFullWidthOne) {
  for (const CatalogueCase& c : kCatalogue) {
    if (*c.text == MsgAccessDenied || *c.text == MsgNTOnly) continue;
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text->substr(c.text->size() - 2), "\x81\x42");
  }
}

TEST(CatalogueTest, UsageIsFiveLinesEachEndedByCrLf) {
  const std::string expected_first = "wirenote version 0.1 " + std::string(kUsageNotice);
  EXPECT_EQ(MsgUsage.size(), 157 + kUsageNotice.size());
  EXPECT_GT(MsgUsage.size(), 128u);
  EXPECT_EQ(Utf8FromCp932(MsgUsage),
            expected_first +
                "\r\n指定したｺﾝﾋﾟｭｰﾀにﾒｯｾｰｼﾞを送ります。\r\n"
                "ﾒｯｾｰｼﾞはあらかじめﾃｷｽﾄﾌｧｲﾙとして保存しておく必要があります。\r\n"
                "\r\n"
                "wirenote ｺﾝﾋﾟｭｰﾀ名 ﾒｯｾｰｼﾞﾌｧｲﾙ名\r\n");
  for (char c : kUsageNotice) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

}  // namespace
}  // namespace wirenote
