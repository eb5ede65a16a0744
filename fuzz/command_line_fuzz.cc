// Any command line splits into arguments that are never empty and never
// hold a quote or a zero byte, and that take no more bytes than the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  std::size_t total = 0;
  for (const std::string& argument : wirenote::SplitCommandLine(line)) {
    if (argument.empty() || argument.find_first_of(std::string_view("\"\0", 2)) != std::string::npos) {
      std::abort();
    }
    total += argument.size();
  }
  if (total > size) std::abort();
  return 0;
}
