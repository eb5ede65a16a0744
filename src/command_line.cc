#include "command_line.h"

namespace wirenote {
namespace {

constexpr bool IsSeparator(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  // A zero byte ends the line, as it ends the string the system hands over.
  if (const auto nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);

  std::vector<std::string> arguments;
  std::size_t at = 0;
  for (;;) {
    // Separators and pairs of adjacent quotes before an argument are skipped.
    for (;;) {
      while (at < line.size() && IsSeparator(line[at])) ++at;
      if (at + 1 < line.size() && line[at] == '"' && line[at + 1] == '"') {
        at += 2;
        continue;
      }
      break;
    }
    std::string argument;
    while (at < line.size() && !IsSeparator(line[at])) {
      if (line[at] == '"') {
        const std::size_t close = line.find('"', at + 1);
        const std::size_t end = close == std::string_view::npos ? line.size() : close;
        argument.append(line.substr(at + 1, end - at - 1));
        at = close == std::string_view::npos ? line.size() : close + 1;
      } else {
        argument.push_back(line[at]);
        ++at;
      }
    }
    // Only the end of the line (or a lone quote before it) yields an empty
    // argument, and it ends the list.
    if (argument.empty()) break;
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace wirenote
