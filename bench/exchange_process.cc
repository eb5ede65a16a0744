// The floor of a send: a process that starts, puts on the wire exactly the
// packets a 1600-byte message to 127.0.0.1 takes (the node status query to
// port 137 and its refusal, then on port 139 a session request, a message
// start, thirteen text blocks and a message end, each waiting for its
// answer), and exits. Nothing else: no file, no name, no conversion.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr unsigned short kNameServicePort = 137;
constexpr unsigned short kSessionPort = 139;
constexpr unsigned kNodeStatusRequestBytes = 50;
constexpr unsigned kSmbHeaderBytes = 32;
constexpr unsigned kReplyBytes = 4 + kSmbHeaderBytes + 3;
// Frame lengths of SEND_START, the thirteen SEND_TEXT blocks and SEND_END.
constexpr unsigned kRequests[] = {51, 168, 168, 168, 168, 168, 168, 168,
                                  168, 168, 168, 168, 168, 168, 35};

bool ReadExactly(int fd, unsigned char* bytes, unsigned size) {
  while (size > 0) {
    const ssize_t n = read(fd, bytes, size);
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<unsigned>(n);
  }
  return true;
}

}  // namespace

int main() {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  // Nobody serves names on loopback: the query is refused at once.
  const int udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  address.sin_port = htons(kNameServicePort);
  unsigned char query[kNodeStatusRequestBytes] = {0x12, 0x34, 0, 0, 0, 1};
  if (connect(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      send(udp, query, sizeof query, 0) != static_cast<ssize_t>(sizeof query)) {
    return 1;
  }
  pollfd answer{udp, POLLIN, 0};
  poll(&answer, 1, 500);
  recv(udp, query, sizeof query, MSG_DONTWAIT);
  close(udp);

  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  address.sin_port = htons(kSessionPort);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
  unsigned char frame[4 + 256] = {0x81, 0, 0, 68};
  unsigned char reply[64];
  if (write(fd, frame, 4 + 68) != 4 + 68 || !ReadExactly(fd, reply, 4)) return 1;
  for (const unsigned length : kRequests) {
    std::memset(frame, 0, sizeof frame);
    frame[2] = static_cast<unsigned char>(length >> 8);
    frame[3] = static_cast<unsigned char>(length);
    std::memcpy(frame + 4, "\xffSMB", 4);
    if (write(fd, frame, 4 + length) != static_cast<ssize_t>(4 + length) ||
        !ReadExactly(fd, reply, kReplyBytes)) {
      return 1;
    }
  }
  close(fd);
  return 0;
}
