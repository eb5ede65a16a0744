// Whole runs of the built program side by side with their floors, as ratios:
// the usage path against a process that only exits, a full send to a fast
// receiver on loopback, an 8 GiB sparse message file against a 2 KB one, the
// peak resident memory of every path, and how long an unknown name takes.
//
//   wirenote_compare WIRENOTE EMPTY_PROCESS EXCHANGE_PROCESS PEAK_RSS [RUNS]
//
// The 8 GiB file holds the 2 KB file's text and then a hole. The receiver
// listens on 127.0.0.1:139, the port the program always uses,
// so the send rows need root; without it they are left out.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr std::uint16_t kSessionPort = 139;
constexpr std::size_t kSmbHeaderBytes = 32;
constexpr std::uint8_t kSmbFlagsReply = 0x80;
constexpr std::size_t kSmbFlagsOffset = 9;
constexpr std::size_t kSmbStatusOffset = 5;

std::string g_peak_rss;  // the helper that measures a child's peak memory

struct Sample {
  double seconds;
  int exit_status;
  std::string standard_error;
};

Sample RunOnce(const std::vector<std::string>& argv_strings) {
  std::vector<char*> argv;
  for (const std::string& a : argv_strings) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int err[2];
  if (pipe2(err, O_CLOEXEC) != 0) std::exit(2);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = -1;
  if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::perror("posix_spawn");
    std::exit(2);
  }
  close(err[1]);
  std::string standard_error;
  char buffer[256];
  ssize_t n;
  while ((n = read(err[0], buffer, sizeof buffer)) > 0) standard_error.append(buffer, n);
  close(err[0]);
  int status = 0;
  waitpid(child, &status, 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return {seconds, WIFEXITED(status) ? WEXITSTATUS(status) : -1, standard_error};
}

long PeakKib(const std::vector<std::string>& argv) {
  std::vector<std::string> measured{g_peak_rss};
  measured.insert(measured.end(), argv.begin(), argv.end());
  return std::atol(RunOnce(measured).standard_error.c_str());
}

struct Summary {
  double median_seconds;
  long peak_kib;
};

Summary RunMany(const std::vector<std::string>& argv, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(RunOnce(argv).seconds);
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], PeakKib(argv)};
}

// A receiver that takes every message at once: a positive session response,
// then a success reply to every SMB request, until the sender closes.
class FastReceiver {
 public:
  bool Start() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kSessionPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0) {
      close(listener_);
      listener_ = -1;
      return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
  }
  ~FastReceiver() {
    if (listener_ < 0) return;
    stop_ = true;
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
  }

 private:
  static bool ReadExactly(int fd, unsigned char* bytes, std::size_t size) {
    while (size > 0) {
      const ssize_t n = read(fd, bytes, size);
      if (n <= 0) return false;
      bytes += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  void Serve() {
    while (!stop_) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      unsigned char frame[4 + 0x1FFFF];
      while (ReadExactly(fd, frame, 4)) {
        const std::size_t length = (std::size_t{frame[1]} & 1) << 16 | frame[2] << 8 | frame[3];
        if (!ReadExactly(fd, frame + 4, length)) break;
        if (frame[0] == 0x81) {
          const unsigned char positive[4] = {0x82, 0, 0, 0};
          if (write(fd, positive, sizeof positive) != 4) break;
        } else if (frame[0] == 0x00 && length >= kSmbHeaderBytes) {
          unsigned char reply[4 + kSmbHeaderBytes + 3] = {};
          reply[3] = kSmbHeaderBytes + 3;
          std::memcpy(reply + 4, frame + 4, kSmbHeaderBytes);
          std::memset(reply + 4 + kSmbStatusOffset, 0, 4);
          reply[4 + kSmbFlagsOffset] |= kSmbFlagsReply;
          if (write(fd, reply, sizeof reply) != static_cast<ssize_t>(sizeof reply)) break;
        }
      }
      close(fd);
    }
  }

  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string TempPath(const char* name) {
  const char* base = std::getenv("TMPDIR");
  return std::string(base != nullptr && *base ? base : "/tmp") + "/wirenote-bench-" +
         std::to_string(getpid()) + "-" + name;
}

void Row(const char* what, const Summary& run, const Summary& floor, const char* goal) {
  std::printf("| %-44s | %9.3f ms | %9.3f ms | %6.2fx | %+8.3f ms | %6ld KiB | %s |\n", what,
              run.median_seconds * 1e3, floor.median_seconds * 1e3,
              run.median_seconds / floor.median_seconds,
              (run.median_seconds - floor.median_seconds) * 1e3, run.peak_kib, goal);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s WIRENOTE EMPTY_PROCESS EXCHANGE_PROCESS PEAK_RSS [RUNS]\n",
                 argv[0]);
    return 2;
  }
  const std::string program = argv[1];
  const std::string empty = argv[2];
  const std::string exchange = argv[3];
  g_peak_rss = argv[4];
  const int runs = argc > 5 ? std::max(1, std::atoi(argv[5])) : 200;

  const std::string small = TempPath("2k.txt");
  const std::string big = TempPath("8g.bin");
  {
    std::string text;
    while (text.size() + 40 <= 2048) text += "The quick brown fox jumps over the dog.\r\n";
    for (const std::string& path : {small, big}) {
      FILE* f = std::fopen(path.c_str(), "wb");
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
    // The same text, then nothing but a hole up to 8 GiB.
    const int fd = open(big.c_str(), O_WRONLY);
    if (fd < 0 || ftruncate(fd, 8LL << 30) != 0) {
      std::perror("8 GiB sparse file");
      return 2;
    }
    close(fd);
  }

  FastReceiver receiver;
  const bool can_send = receiver.Start();

  // Every path runs once per round, so that a busy machine weighs on all of
  // them alike.
  struct Path {
    std::string_view name;
    std::vector<std::string> argv;
    std::vector<double> times;
  };
  // Every round runs the paths in a new order, so that no path always
  // follows the same one.
  std::vector<Path> paths = {{"empty process", {empty}, {}}};
  if (can_send) paths.push_back({"send 2 KB", {program, "127.0.0.1", small}, {}});
  if (can_send) paths.push_back({"exchange only", {exchange}, {}});
  paths.push_back({"usage text", {program}, {}});
  if (can_send) paths.push_back({"send 8 GiB", {program, "127.0.0.1", big}, {}});
  paths.push_back({"message file not found", {program, "HOST", small + ".missing"}, {}});
  std::vector<std::size_t> order(paths.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::mt19937 random(20261211);
  for (int round = 0; round < runs; ++round) {
    std::shuffle(order.begin(), order.end(), random);
    for (const std::size_t i : order) paths[i].times.push_back(RunOnce(paths[i].argv).seconds);
  }
  auto median = [](std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  };
  auto summary = [&](std::string_view name) {
    for (const Path& path : paths) {
      if (path.name == name) return Summary{median(path.times), PeakKib(path.argv)};
    }
    std::abort();
  };

  std::printf("| %-44s | %12s | %12s | %7s | %11s | %10s | %s |\n", "path", "median run",
              "floor", "ratio", "own share", "peak RSS", "goal");
  std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(),
              std::string(14, '-').c_str(), std::string(14, '-').c_str(),
              std::string(9, '-').c_str(), std::string(13, '-').c_str(),
              std::string(12, '-').c_str(), "------");
  const Summary floor = summary("empty process");
  Row("empty process (the floor)", floor, floor, "");
  Row("usage text", summary("usage text"), floor, "ratio <= 1.3x, RSS <= 4 MiB");
  Row("message file not found", summary("message file not found"), floor, "RSS <= 4 MiB");
  if (!can_send) {
    std::printf("(send rows left out: 127.0.0.1:%u needs root)\n", kSessionPort);
  } else {
    if (RunOnce({program, "127.0.0.1", small}).exit_status != 0) std::printf("(send failed)\n");
    const Summary send_small = summary("send 2 KB");
    const Summary send_big = summary("send 8 GiB");
    const Summary exchange_floor = summary("exchange only");
    Row("send 2 KB file (1600 bytes) to loopback", send_small, floor, "");
    Row("  vs a process doing only the same exchange", send_small, exchange_floor,
        "own share < 1 ms");
    Row("send 8 GiB sparse file to loopback", send_big, floor, "RSS <= 4 MiB");
    Row("8 GiB file vs 2 KB file", send_big, send_small, "ratio <= 1.1x");
  }
  const Summary unknown = RunMany({program, "NOSUCHHOST-WN", small}, 1);
  Row("unknown name", unknown, floor, "<= 1.5 s + resolver");

  unlink(small.c_str());
  unlink(big.c_str());
  return 0;
}
