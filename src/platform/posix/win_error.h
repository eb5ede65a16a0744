#pragma once

#include "posix_back.h"

#include "win_types.h"

namespace wirenote {

// The Windows error number for a POSIX errno value.
DWORD WindowsErrorFromErrno(int error_number);

}  // namespace wirenote
