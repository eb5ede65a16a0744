// The frame of every run: the platform check, the branch by argument count,
// and the report of a failure that no step caught.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wirenote {

bool IsWindowsNT(Platform& platform);
bool IsHelpSwitch(std::string_view argument);

// Runs the command on `arguments` (the program's own name not among them) and
// returns the exit status: 0 after any reported outcome, 1 after a failure.
int RunProgram(Platform& platform, const std::vector<std::string>& arguments,
               std::string_view program_file_name);

}  // namespace wirenote
