#include "failure_report.h"

#include <cstdio>

namespace wirenote {
namespace {

// "がﾓｼﾞｭｰﾙ ", " の" and " で発生しました。" in code page 932.
constexpr std::string_view kInModule = "\x82\xaa\xd3\xbc\xde\xad\xb0\xd9\x20";
constexpr std::string_view kOf = "\x20\x82\xcc";
constexpr std::string_view kArose = "\x20\x82\xc5\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

}  // namespace

std::string FormatFailureReport(std::string_view class_name, std::string_view program_file_name,
                                std::uint32_t code_offset, std::string_view message) {
  char address[9];
  std::snprintf(address, sizeof address, "%08X", static_cast<unsigned>(code_offset));

  std::string report;
  report.append(class_name).append(kInModule);
  report.append(program_file_name.substr(0, ReportModuleNameBytes)).append(kOf).push_back('\n');
  report.append(address, 8).append(kArose).push_back('\n');
  report.append(message);
  if (!message.empty() && message.back() != '.') report.push_back('.');
  report.append("\n\r\n");
  return report;
}

}  // namespace wirenote
