#include "run.h"

#include <new>
#include <optional>

#include "console/catalogue.h"
#include "console/console.h"
#include "delivery/delivery.h"
#include "failure.h"
#include "failure_report.h"
#include "message/message_file.h"

namespace wirenote {
namespace {

void RunBranch(Platform& platform, Console& console, const std::vector<std::string>& arguments) {
  if (!IsWindowsNT(platform)) {
    console.WriteStatus(MsgNTOnly);
    return;
  }
  switch (arguments.size()) {
    case 0:
      console.WriteStatus(MsgUsage);
      return;
    case 1:
      console.WriteStatus(IsHelpSwitch(arguments[0]) ? MsgUsage : MsgTooFewParams);
      return;
    case 2:
      if (const std::optional<std::string> text = ReadMessageFile(platform, console, arguments[1])) {
        DeliverMessage(platform, console, arguments[0], *text);
      }
      return;
    default:
      console.WriteStatus(MsgParamError);
      return;
  }
}

void WriteToStandardError(Platform& platform, std::string_view report) {
  const HANDLE error = platform.GetStdHandle(STD_ERROR_HANDLE);
  if (error == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  platform.WriteFile(error, report.data(), static_cast<DWORD>(report.size()), &written);
}

}  // namespace

bool IsWindowsNT(Platform& platform) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!platform.GetVersionExA(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsHelpSwitch(std::string_view argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
  const char second = argument[1];
  return second == 'h' || second == 'H' || second == '?';
}

int RunProgram(Platform& platform, const std::vector<std::string>& arguments,
               const ProgramImage& image) {
  Console console(platform);
  std::optional<std::string> report;
  bool to_standard_error = false;
  try {
    try {
      RunBranch(platform, console, arguments);
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory();
    }
  } catch (const EInOutError& failure) {
    // Standard output is what failed: the report could not reach it.
    to_standard_error = true;
    report = FormatFailureReport(failure.class_name(), image.file_name(),
                                 image.offset_of(failure.address()), failure.message());
  } catch (const Failure& failure) {
    report = FormatFailureReport(failure.class_name(), image.file_name(),
                                 image.offset_of(failure.address()), failure.message());
  }

  if (!report) {
    console.Close();
    return 0;
  }
  if (to_standard_error || !console.WriteReport(*report)) {
    WriteToStandardError(platform, *report);
  }
  console.Close();
  return 1;
}

}  // namespace wirenote
