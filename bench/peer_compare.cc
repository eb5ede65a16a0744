// Whole sends of wirenote side by side with `smbclient -M` to the same real
// smbd receiver, as ratios of wall time, CPU time (user + system) and peak
// resident memory; bench/compare.sh starts the receiver and runs this on the
// sender host.
//
//   peer_compare CHILD_USAGE WIRENOTE SMBCLIENT NAME ADDRESS INBOX ROUNDS LABEL=PREFIX...
//
// Every LABEL=PREFIX is one message: PREFIX.txt is wirenote's message file,
// PREFIX.lf the same text with LF line ends (smbclient reads the message
// from standard input and puts a CR before every LF itself, so both put the
// same bytes on the wire), PREFIX.expected the text the receiver's message
// command must write into INBOX. Each message is sent with the recipient
// given by ADDRESS and by NAME to both programs. A run counts only when it
// delivered: exit status 0, wirenote's "sent" text, and exactly the
// expected text in the inbox; every other run is counted and shown.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern char** environ;

namespace {

constexpr int kReportFd = 3;  // where child_usage writes its line
// What wirenote writes for a sent message in the C locale (code page 932):
// "ﾒｯｾｰｼﾞは正常に送信されました。"
constexpr std::string_view kSentText =
    "\xd2\xaf\xbe\xb0\xbc\xde\x82\xcd\x90\xb3\x8f\xed\x82\xc9\x91\x97\x90\x4d\x82\xb3\x82\xea"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42";
constexpr std::size_t kShownFailures = 3;  // per path; the rest are only counted

struct Goal {
  const char* measure;
  double at_most;  // wirenote / smbclient
};
constexpr Goal kWallGoal{"wall time", 0.6};
constexpr Goal kCpuGoal{"CPU user+sys", 0.12};
constexpr Goal kMemoryGoal{"peak RSS", 0.15};

struct Usage {
  double wall_ms = 0;
  double cpu_ms = 0;
  double user_ms = 0;
  double sys_ms = 0;
  long max_rss_kib = 0;
  int status = -1;
};

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[4096];
  ssize_t n;
  while ((n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()))) > 0) {
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

std::string ReadFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes = ReadAll(fd);
  close(fd);
  return bytes;
}

// A file that is emptied before every run and takes one of the run's
// standard streams.
class Capture {
 public:
  explicit Capture(const char* name) : fd_(memfd_create(name, MFD_CLOEXEC)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::exit(2);
    }
  }
  ~Capture() { close(fd_); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  int fd() const { return fd_; }
  void Clear() const {
    if (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0) std::exit(2);
  }
  std::string Bytes() const { return ReadAll(fd_); }

 private:
  int fd_;
};

struct Run {
  Usage usage;
  std::string standard_output;
  std::string standard_error;
};

Run RunMeasured(const std::string& child_usage, const std::vector<std::string>& command,
                const std::string& standard_input, const Capture& out, const Capture& err) {
  std::vector<char*> argv{const_cast<char*>(child_usage.c_str())};
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  out.Clear();
  err.Clear();
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) std::exit(2);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, standard_input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.fd(), 1);
  posix_spawn_file_actions_adddup2(&actions, err.fd(), 2);
  posix_spawn_file_actions_adddup2(&actions, report[1], kReportFd);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(report[1]);
  if (spawned != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(spawned));
    std::exit(2);
  }
  std::string line;
  char buffer[256];
  ssize_t n;
  while ((n = read(report[0], buffer, sizeof buffer)) > 0) line.append(buffer, n);
  close(report[0]);
  int status = 0;
  waitpid(pid, &status, 0);

  Run run;
  long long wall_ns = 0, user_us = 0, sys_us = 0;
  long rss = 0;
  int code = -1;
  if (std::sscanf(line.c_str(), "%lld %lld %lld %ld %d", &wall_ns, &user_us, &sys_us, &rss,
                  &code) != 5) {
    std::fprintf(stderr, "child_usage reported nothing for %s\n", command[0].c_str());
    std::exit(2);
  }
  run.usage = {wall_ns / 1e6, (user_us + sys_us) / 1e3, user_us / 1e3, sys_us / 1e3, rss, code};
  run.standard_output = out.Bytes();
  run.standard_error = err.Bytes();
  return run;
}

// The messages in the receiver's inbox: the texts of the complete ones
// (*.txt); every file is removed, so the next run starts from an empty inbox.
std::vector<std::string> TakeInbox(const std::string& inbox) {
  std::vector<std::string> texts;
  DIR* dir = opendir(inbox.c_str());
  if (dir == nullptr) {
    std::perror(inbox.c_str());
    std::exit(2);
  }
  std::vector<std::string> files;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    files.push_back(inbox + "/" + std::string(name));
  }
  closedir(dir);
  std::sort(files.begin(), files.end());
  for (const std::string& file : files) {
    if (file.ends_with(".txt")) texts.push_back(ReadFile(file));
    unlink(file.c_str());
  }
  return texts;
}

std::string Printable(std::string_view bytes) {
  std::string shown;
  for (const unsigned char c : bytes.substr(0, 160)) {
    if (c >= 0x20 && c < 0x7f) {
      shown += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      shown += hex;
    }
  }
  if (bytes.size() > 160) shown += "...";
  return shown;
}

struct Path {
  std::string label;  // message and recipient form
  bool is_wirenote;
  std::vector<std::string> command;
  std::string standard_input;
  std::string expected;  // the text the receiver must get
  std::vector<Usage> delivered{};
  int runs = 0;
  std::vector<std::string> failures{};  // the first few, described
  int failure_count = 0;
};

// Why a run does not count, or "" when it delivered exactly the message.
std::string Fault(const Path& path, const Run& run, const std::vector<std::string>& inbox) {
  std::string fault;
  if (run.usage.status != 0) fault += "exit status " + std::to_string(run.usage.status) + "; ";
  if (path.is_wirenote && run.standard_output != kSentText) fault += "not the sent text; ";
  if (inbox.size() != 1) {
    fault += "receiver got " + std::to_string(inbox.size()) + " messages, wanted 1; ";
  } else if (inbox[0] != path.expected) {
    fault += "receiver got other text (" + std::to_string(inbox[0].size()) + " bytes, wanted " +
             std::to_string(path.expected.size()) + "); ";
  }
  if (fault.empty()) return fault;
  return fault + "stdout \"" + Printable(run.standard_output) + "\" stderr \"" +
         Printable(run.standard_error) + "\"";
}

double Median(const std::vector<Usage>& runs, double (*field)(const Usage&)) {
  std::vector<double> values;
  for (const Usage& u : runs) values.push_back(field(u));
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void Row(const std::string& label, const Goal& goal, const std::vector<Usage>& ours,
         const std::vector<Usage>& theirs, double (*field)(const Usage&), const char* unit,
         int decimals) {
  if (ours.empty() || theirs.empty()) {
    std::printf("| %-38s | %-12s | %11s | %12s | %7s | <= %.2fx | %-6s |\n", label.c_str(),
                goal.measure, ours.empty() ? "no run" : "", theirs.empty() ? "no run" : "", "-",
                goal.at_most, "-");
    return;
  }
  const double mine = Median(ours, field), peer = Median(theirs, field);
  const double ratio = mine / peer;
  char ours_text[32], theirs_text[32];
  std::snprintf(ours_text, sizeof ours_text, "%.*f %s", decimals, mine, unit);
  std::snprintf(theirs_text, sizeof theirs_text, "%.*f %s", decimals, peer, unit);
  std::printf("| %-38s | %-12s | %11s | %12s | %6.3fx | <= %.2fx | %-6s |\n", label.c_str(),
              goal.measure, ours_text, theirs_text, ratio, goal.at_most,
              ratio <= goal.at_most ? "met" : "MISSED");
}

double WallMs(const Usage& u) { return u.wall_ms; }
double CpuMs(const Usage& u) { return u.cpu_ms; }
double UserMs(const Usage& u) { return u.user_ms; }
double SysMs(const Usage& u) { return u.sys_ms; }
double RssKib(const Usage& u) { return static_cast<double>(u.max_rss_kib); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 9) {
    std::fprintf(stderr,
                 "usage: %s CHILD_USAGE WIRENOTE SMBCLIENT NAME ADDRESS INBOX ROUNDS "
                 "LABEL=PREFIX...\n",
                 argv[0]);
    return 2;
  }
  const std::string child_usage = argv[1];
  const std::string wirenote = argv[2];
  const std::string smbclient = argv[3];
  const std::string name = argv[4];
  const std::string address = argv[5];
  const std::string inbox = argv[6];
  const int rounds = std::max(1, std::atoi(argv[7]));

  // Both programs get the recipient in the same form. By address neither
  // asks the LAN for the name's address (wirenote still asks the address for
  // its name with a node status query: it takes no name beside the
  // address). By name both broadcast a name query on every run: smbclient's
  // name cache is off, as wirenote has none.
  std::vector<Path> paths;
  for (int i = 8; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const std::size_t equals = argument.find('=');
    if (equals == std::string_view::npos) {
      std::fprintf(stderr, "not LABEL=PREFIX: %s\n", argv[i]);
      return 2;
    }
    const std::string label(argument.substr(0, equals));
    const std::string prefix(argument.substr(equals + 1));
    const std::string expected = ReadFile(prefix + ".expected");
    const std::string crlf = prefix + ".txt", lf = prefix + ".lf";
    const auto path = [&](const char* form, bool is_wirenote, std::vector<std::string> command) {
      paths.push_back({.label = label + form,
                       .is_wirenote = is_wirenote,
                       .command = std::move(command),
                       .standard_input = is_wirenote ? "/dev/null" : lf,
                       .expected = expected});
    };
    path(", by address", true, {wirenote, address, crlf});
    path(", by address", false, {smbclient, "-M", name, "-I", address});
    path(", by name", true, {wirenote, name, crlf});
    path(", by name", false,
         {smbclient, "-R", "bcast", "--option=name cache timeout=0", "-M", name});
  }

  const Capture out("stdout"), err("stderr");
  std::vector<std::size_t> order(paths.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::mt19937 random(20261211);
  // Round 0 warms the page cache and smbd up and is not measured; its
  // faults count all the same.
  for (int round = 0; round <= rounds; ++round) {
    std::shuffle(order.begin(), order.end(), random);
    for (const std::size_t i : order) {
      Path& path = paths[i];
      const Run run = RunMeasured(child_usage, path.command, path.standard_input, out, err);
      const std::string fault = Fault(path, run, TakeInbox(inbox));
      if (round > 0) ++path.runs;
      if (!fault.empty()) {
        if (path.failures.size() < kShownFailures) path.failures.push_back(fault);
        ++path.failure_count;
      } else if (round > 0) {
        path.delivered.push_back(run.usage);
      }
    }
  }

  std::printf("| %-38s | %-12s | %11s | %12s | %7s | %8s | %-6s |\n", "message, recipient given",
              "measure", "wirenote", "smbclient -M", "ratio", "goal", "met");
  std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(40, '-').c_str(),
              std::string(14, '-').c_str(), std::string(13, '-').c_str(),
              std::string(14, '-').c_str(), std::string(9, '-').c_str(),
              std::string(10, '-').c_str(), std::string(8, '-').c_str());
  for (std::size_t i = 0; i + 1 < paths.size(); i += 2) {
    const Path& ours = paths[i];
    const Path& theirs = paths[i + 1];
    Row(ours.label, kWallGoal, ours.delivered, theirs.delivered, WallMs, "ms", 2);
    Row("", kCpuGoal, ours.delivered, theirs.delivered, CpuMs, "ms", 2);
    Row("", kMemoryGoal, ours.delivered, theirs.delivered, RssKib, "KiB", 0);
  }

  std::printf(
      "\n  by address: `wirenote %s FILE` vs `smbclient -M %s -I %s`: neither asks the LAN where\n"
      "    the name is (wirenote still sends one node status query, for the name to call).\n"
      "  by name: `wirenote %s FILE` vs `smbclient -R bcast -M %s`, smbclient's name cache off:\n"
      "    both broadcast a name query on every run.\n",
      address.c_str(), name.c_str(), address.c_str(), name.c_str(), name.c_str());

  int failures = 0;
  std::printf("\n  runs that delivered (exit 0, wirenote's sent text, exactly the message in the "
              "receiver's inbox), median CPU user / sys:\n");
  for (const Path& path : paths) {
    std::printf("    %-9s %-38s %4d of %4d", path.is_wirenote ? "wirenote" : "smbclient",
                path.label.c_str(), static_cast<int>(path.delivered.size()), path.runs);
    if (!path.delivered.empty()) {
      std::printf(", user %.2f ms / sys %.2f ms", Median(path.delivered, UserMs),
                  Median(path.delivered, SysMs));
    }
    if (path.failure_count > 0) {
      std::printf(", FAILED %d (warm-up round included)", path.failure_count);
    }
    std::printf("\n");
    for (const std::string& fault : path.failures) std::printf("      failed: %s\n", fault.c_str());
    failures += path.failure_count;
  }
  std::printf("  (the kernel splits user from sys by timer ticks, which runs this short seldom\n"
              "  get: the split is rough, their sum is exact)\n");
  if (failures > 0) {
    std::printf("  %d runs failed: the medians above leave them out\n", failures);
    return 1;
  }
  return 0;
}
