// Every text the program writes on its own account, as code page 932 bytes.
// Katakana are the half-width forms (one byte each); the full stop is the
// full-width one (81 42). Only the usage text has line breaks.
#pragma once

#include <string_view>

namespace wirenote {

using CatalogueText = std::string_view;

// "wirenote version 0.1 <notice>" CR LF, then four more lines (see catalogue.cc).
extern const CatalogueText MsgUsage;
// "ﾊﾟﾗﾒｰﾀが足りません。"
extern const CatalogueText MsgTooFewParams;
// "ﾊﾟﾗﾒｰﾀｴﾗｰです。"
extern const CatalogueText MsgParamError;
// "This program runs under WindowsNT only"
extern const CatalogueText MsgNTOnly;
// "ﾒｯｾｰｼﾞﾌｧｲﾙが見つかりません。"
extern const CatalogueText MsgFileNotFound;
// "ﾒｯｾｰｼﾞは正常に送信されました。"
extern const CatalogueText MsgSent;
// "送信できませんでした。"
extern const CatalogueText MsgSendFailed;
// "ｱｸｾｽが拒否されました" (no full stop)
extern const CatalogueText MsgAccessDenied;
// "ﾊﾟﾗﾒｰﾀが正しくありません。"
extern const CatalogueText MsgInvalidParameter;
// "ﾒｯｾｰｼﾞの送信はｻﾎﾟｰﾄされていません。"
extern const CatalogueText MsgNotSupported;
// "送信先のｺﾝﾋﾟｭｰﾀ名が見つかりません。"
extern const CatalogueText MsgNameNotFound;
// "ﾈｯﾄﾜｰｸの障害により送信できませんでした。"
extern const CatalogueText MsgNetworkError;

// The program's own notice on the first line of the usage text.
inline constexpr std::string_view kUsageNotice = "Copyright (C) 2026 The wirenote developers";

}  // namespace wirenote
