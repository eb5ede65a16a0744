// The report written when a failure ends a run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wirenote {

inline constexpr std::size_t ReportModuleNameBytes = 63;

// Three lines, each ended by LF alone, then CR LF: the class and the program's
// file name, the code offset as eight upper-case hex digits, and the message
// with a full stop added unless it ends in one. Code page 932 bytes.
std::string FormatFailureReport(std::string_view class_name, std::string_view program_file_name,
                                std::uint32_t code_offset, std::string_view message);

}  // namespace wirenote
