#include "fifo_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace wirenote::testing {

std::thread FifoWriter(const std::string& path, std::string data) {
  return std::thread([path, data = std::move(data)] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int fd;
    // Non-blocking, the open fails with ENXIO while no reader has the FIFO:
    // a blocking one would wait for ever if none came.
    while ((fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 && errno == ENXIO &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (fd < 0) return;
    if (!data.empty()) {
      [[maybe_unused]] const ssize_t n = write(fd, data.data(), data.size());
    }
    close(fd);
  });
}

}  // namespace wirenote::testing
