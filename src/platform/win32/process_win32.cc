#include <string>
#include <vector>

#include "command_line.h"
#include "platform/platform.h"
#include "win32_platform.h"

namespace wirenote {
namespace {

// Whether `byte` opens a double-byte character in the ANSI code page. In
// code page 932 a trail byte may be 0x5C, the backslash, so a path is
// walked character by character, never searched backwards for a separator.
bool IsLeadByte(char byte) { return ::IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE; }

}  // namespace

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

std::vector<std::string> ProgramArguments(int, char**) {
  // The runtime's own argv follows other quoting rules (backslash escapes);
  // the program splits the line itself, by its own convention.
  std::vector<std::string> arguments = SplitCommandLine(::GetCommandLineA());
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

std::string ProgramFileName() {
  // Long paths are allowed, so the buffer grows until the whole name fits.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  std::size_t name_start = 0;
  for (std::size_t at = 0; at < path.size(); ++at) {
    const char byte = path[at];
    if (IsLeadByte(byte) && at + 1 < path.size()) {
      ++at;
    } else if (byte == '\\' || byte == '/' || byte == ':') {
      name_start = at + 1;
    }
  }
  return path.substr(name_start);
}

std::uint32_t ImageOffset(const void* address) {
  // The module that holds the address starts at the base of its allocation.
  MEMORY_BASIC_INFORMATION region;
  if (address == nullptr || ::VirtualQuery(address, &region, sizeof region) == 0 ||
      region.AllocationBase == nullptr) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
  }
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) -
                                    reinterpret_cast<std::uintptr_t>(region.AllocationBase));
}

}  // namespace wirenote
