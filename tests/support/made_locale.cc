#include "made_locale.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace wirenote::testing {

MadeLocale::MadeLocale(const std::string& source, const std::string& charmap)
    : name_(source + "." + charmap) {
  const std::string output = directory_.path() + "/" + name_;
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    // Its warnings about other locales it reads are no concern of the test.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    execlp("localedef", "localedef", "-i", source.c_str(), "-f", charmap.c_str(), output.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  made_ = WIFEXITED(status) && WEXITSTATUS(status) == 0 && access(output.c_str(), F_OK) == 0;
}

}  // namespace wirenote::testing
