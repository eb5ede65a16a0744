// Writes what run.sh expects the program to write, each text from the one
// place it is kept: the catalogue's texts as the program holds them (their
// wording is checked by the catalogue's own tests), and the failure report
// as every test expects it (tests/support/failure_report_text).
//
//   wirenote_expected_texts.exe catalogue DIRECTORY
//       one file per text in DIRECTORY, named as in the catalogue (MsgSent...)
//   wirenote_expected_texts.exe report CLASS MODULE ADDRESS open FILE
//       the report of a file that cannot be opened, on standard output
//   wirenote_expected_texts.exe report CLASS MODULE ADDRESS line LAST-LINE
//       the report whose last line is LAST-LINE
//
// The arguments are read as UTF-16 (GetCommandLineW), so MODULE and FILE
// reach the report in code page 932 by the tests' own conversion, whatever
// the ANSI code page. Exits 2 on a wrong command line or a failed write.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/catalogue.h"
#include "cp932_text.h"
#include "failure_report_text.h"

namespace wirenote {
namespace {

struct NamedText {
  const char* name;
  const CatalogueText* text;
};

const NamedText kCatalogue[] = {
    {"MsgUsage", &MsgUsage},
    {"MsgTooFewParams", &MsgTooFewParams},
    {"MsgParamError", &MsgParamError},
    {"MsgNTOnly", &MsgNTOnly},
    {"MsgFileNotFound", &MsgFileNotFound},
    {"MsgSent", &MsgSent},
    {"MsgSendFailed", &MsgSendFailed},
    {"MsgAccessDenied", &MsgAccessDenied},
    {"MsgInvalidParameter", &MsgInvalidParameter},
    {"MsgNotSupported", &MsgNotSupported},
    {"MsgNameNotFound", &MsgNameNotFound},
    {"MsgNetworkError", &MsgNetworkError},
};

std::string Utf8(const wchar_t* wide) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) throw std::runtime_error("an argument that is no UTF-16");
  std::string out(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), bytes, nullptr, nullptr);
  out.resize(bytes - 1);  // its zero byte
  return out;
}

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) throw std::runtime_error("CommandLineToArgvW failed");
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void WriteCatalogue(const std::string& directory) {
  for (const NamedText& entry : kCatalogue) {
    std::ofstream file(directory + "\\" + entry.name, std::ios::binary);
    file.write(entry.text->data(), static_cast<std::streamsize>(entry.text->size()));
    if (!file.flush()) throw std::runtime_error(std::string("cannot write ") + entry.name);
  }
}

void WriteStandardOutput(const std::string& bytes) {
  DWORD written = 0;
  if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                 &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("cannot write standard output");
  }
}

int Run(const std::vector<std::string>& arguments) {
  if (arguments.size() == 2 && arguments[0] == "catalogue") {
    WriteCatalogue(arguments[1]);
    return 0;
  }
  if (arguments.size() == 6 && arguments[0] == "report" &&
      (arguments[4] == "open" || arguments[4] == "line")) {
    const std::string module = testing::Cp932FromUtf8(arguments[2]);
    const std::string last_line =
        arguments[4] == "open" ? testing::OpenErrorMessage(testing::Cp932FromUtf8(arguments[5])) + "."
                               : testing::Cp932FromUtf8(arguments[5]);
    WriteStandardOutput(testing::FailureReport(arguments[1], module, arguments[3], last_line));
    return 0;
  }
  WriteStandardOutput(
      "usage: wirenote_expected_texts catalogue DIRECTORY\n"
      "       wirenote_expected_texts report CLASS MODULE ADDRESS open FILE|line LAST-LINE\n");
  return 2;
}

}  // namespace
}  // namespace wirenote

int main() {
  try {
    return wirenote::Run(wirenote::Arguments());
  } catch (const std::exception& error) {
    const std::string text = std::string("wirenote_expected_texts: ") + error.what() + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
    return 2;
  }
}
