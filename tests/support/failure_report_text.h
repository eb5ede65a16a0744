// The failure report as a test expects it: its fixed wording and the
// messages of the failures, in code page 932, converted from readable text.
// The unit tests, the end-to-end tests and the tests of the message file all
// expect the same report; it is written down here once.
#pragma once

#include <string>
#include <string_view>

namespace wirenote::testing {

// "がﾓｼﾞｭｰﾙ ": between the class name and the program's file name.
std::string ReportInModule();
// " の": after the program's file name, ending the first line.
std::string ReportOf();
// " で発生しました。": after the code offset, ending the second line.
std::string ReportArose();

// The whole report: `class_name` in module `module` LF, `address` arose LF,
// `last_line` (given with its full stop, if it has one) LF CR LF.
std::string FailureReport(std::string_view class_name, std::string_view module,
                          std::string_view address, std::string_view last_line);

// EFOpenError's message: "ﾌｧｲﾙ " + `file_name` + " は開けません". The name's
// bytes are kept as they are, whatever they are.
std::string OpenErrorMessage(std::string_view file_name);

// EOutOfMemory's message: "ﾒﾓﾘが足りません".
std::string OutOfMemoryMessage();

}  // namespace wirenote::testing
