#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/platform.h"

namespace wirenote {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // The shell has split the line already. An empty argument is dropped, as a
  // lone pair of quotes is no argument on the command line the program knows.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0') arguments.emplace_back(argv[i]);
  }
  return arguments;
}

std::string ProgramFileName() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) return program_invocation_short_name;
  const std::string full(path, static_cast<std::size_t>(n));
  const std::size_t slash = full.rfind('/');
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::uint32_t ImageOffset(const void* address) {
  Dl_info info;
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fbase == nullptr) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
  }
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) -
                                    reinterpret_cast<std::uintptr_t>(info.dli_fbase));
}

}  // namespace wirenote
