#include "run.h"

#include <new>
#include <optional>
#include <string>

#include "console/catalogue.h"
#include "console/console.h"
#include "console/console_text.h"
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

// The report as it is to read on a handle of `file_type`. A console shows
// code page 932, so a file name in the message, which is in the user's code
// page, is converted for it; a file or a pipe takes the bytes as they are.
std::string ReportFor(Platform& platform, const Failure& failure, const ProgramImage& image,
                      DWORD file_type) {
  const bool convert = file_type == FILE_TYPE_CHAR && !failure.file_name().empty();
  const std::string message = convert
                                  ? failure.MessageNaming(ConsoleFormOf(platform, failure.file_name()))
                                  : failure.message();
  return FormatFailureReport(failure.class_name(), image.file_name(),
                             image.offset_of(failure.address()), message);
}

void WriteToStandardError(Platform& platform, const Failure& failure, const ProgramImage& image) {
  const HANDLE error = platform.GetStdHandle(STD_ERROR_HANDLE);
  if (error == INVALID_HANDLE_VALUE) return;
  const std::string report = ReportFor(platform, failure, image, platform.GetFileType(error));
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
  try {
    try {
      RunBranch(platform, console, arguments);
      // The text may still wait in the buffer: the run has succeeded only
      // once it is written.
      console.Finish();
      return 0;
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory();
    }
  } catch (const EInOutError& failure) {
    // Standard output is what failed: the report could not reach it.
    WriteToStandardError(platform, failure, image);
  } catch (const Failure& failure) {
    if (!console.WriteReport(ReportFor(platform, failure, image, console.OutputType()))) {
      WriteToStandardError(platform, failure, image);
    }
  }
  console.Close();
  return 1;
}

}  // namespace wirenote
