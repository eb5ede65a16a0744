#include "platform/platform.h"
#include "run.h"

int main(int argc, char** argv) {
  wirenote::Platform& platform = wirenote::SystemPlatform();
  return wirenote::RunProgram(platform, wirenote::ProgramArguments(argc, argv),
                              {wirenote::ProgramFileName, wirenote::ImageOffset});
}
