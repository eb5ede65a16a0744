// Holds a file open with share mode 0 until its standard input ends, so that
// a test can see how the program meets a file another process holds.
//
//   wirenote_hold_open.exe read|write <file>
//
// Writes "held" and a line break to standard output once the file is open;
// exits 2 when it cannot open it.
#include <windows.h>

#include <cstring>

namespace {

void Say(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written,
            nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "write") != 0)) {
    Say("usage: wirenote_hold_open read|write <file>\n");
    return 2;
  }
  const DWORD access = std::strcmp(argv[1], "read") == 0 ? GENERIC_READ : GENERIC_WRITE;
  const HANDLE file =
      CreateFileA(argv[2], access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Say("cannot open\n");
    return 2;
  }
  Say("held\n");
  char byte;
  DWORD read = 0;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (ReadFile(input, &byte, 1, &read, nullptr) && read == 1) {
  }
  CloseHandle(file);
  return 0;
}
