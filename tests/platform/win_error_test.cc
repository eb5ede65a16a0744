#include "win_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace wirenote {
namespace {

TEST(WindowsErrorFromErrnoTest, MapsToWindowsNumbers) {
  const struct {
    int error_number;
    DWORD windows;
  } cases[] = {
      {EPIPE, 109}, {ENOSPC, 112}, {EBADF, 6},   {ENOENT, 2},  {EACCES, 5},
      {EPERM, 5},   {EWOULDBLOCK, 32}, {ENOMEM, 8}, {EINVAL, 87}, {EIO, 1117},
  };
  for (const auto& c : cases) EXPECT_EQ(WindowsErrorFromErrno(c.error_number), c.windows) << c.error_number;
}

}  // namespace
}  // namespace wirenote
