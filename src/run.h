// The frame of every run: the platform check, the branch by argument count,
// and the report of a failure that no step caught.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wirenote {

bool IsWindowsNT(Platform& platform);
bool IsHelpSwitch(std::string_view argument);

// Runs the command on `arguments` (the program's own name not among them) and
// returns the exit status: 0 after any reported outcome, 1 after a failure.
// What the failure report says of the running program: its file name, and
// where an address lies in its image. Both are asked only for a report.
struct ProgramImage {
  std::string (*file_name)();
  std::uint32_t (*offset_of)(const void* address);
};

int RunProgram(Platform& platform, const std::vector<std::string>& arguments,
               const ProgramImage& image);

}  // namespace wirenote
