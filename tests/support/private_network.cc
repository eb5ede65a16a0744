#include "private_network.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace wirenote::testing {

bool EnterPrivateNetwork() {
  static const bool entered = [] {
    if (unshare(CLONE_NEWNET) != 0) return false;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    const bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &loopback) == 0 &&
                    (loopback.ifr_flags |= IFF_UP, ioctl(fd, SIOCSIFFLAGS, &loopback) == 0);
    if (fd >= 0) close(fd);
    return up;
  }();
  return entered;
}

bool PrivateNetworkOrCi() {
  if (EnterPrivateNetwork()) return true;
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

}  // namespace wirenote::testing
