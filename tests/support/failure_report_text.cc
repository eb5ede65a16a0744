#include "failure_report_text.h"

#include "cp932_text.h"

namespace wirenote::testing {

std::string ReportInModule() { return Cp932FromUtf8("がﾓｼﾞｭｰﾙ "); }

std::string ReportOf() { return Cp932FromUtf8(" の"); }

std::string ReportArose() { return Cp932FromUtf8(" で発生しました。"); }

std::string FailureReport(std::string_view class_name, std::string_view module,
                          std::string_view address, std::string_view last_line) {
  std::string report(class_name);
  report.append(ReportInModule()).append(module).append(ReportOf()).append("\n");
  report.append(address).append(ReportArose()).append("\n");
  report.append(last_line).append("\n\r\n");
  return report;
}

std::string OpenErrorMessage(std::string_view file_name) {
  return Cp932FromUtf8("ﾌｧｲﾙ ") + std::string(file_name) + Cp932FromUtf8(" は開けません");
}

std::string OutOfMemoryMessage() { return Cp932FromUtf8("ﾒﾓﾘが足りません"); }

}  // namespace wirenote::testing
