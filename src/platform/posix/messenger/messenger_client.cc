#include "messenger/messenger_client.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <utility>

#include "messenger/name_lookup.h"
#include "messenger/netbios_session.h"
#include "messenger/recipient_address.h"
#include "messenger/windows_status.h"
#include "messenger_wire/netbios_name.h"
#include "messenger_wire/session_service.h"
#include "messenger_wire/smb_message.h"
#include "messenger_wire/text_blocks.h"

namespace wirenote::messenger {
namespace {

constexpr char kFallbackServerName[] = "*SMBSERVER";
constexpr char kFallbackComputerName[] = "LOCALHOST";

NET_API_STATUS OpenSession(Session& session, const NetbiosName& called, const NetbiosName& calling,
                           Clock::time_point deadline) {
  NET_API_STATUS status = WindowsStatusOf(session.Send(BuildSessionRequest(called, calling), deadline));
  if (status != NERR_Success) return status;
  std::uint8_t type = 0;
  Bytes payload;
  status = WindowsStatusOf(session.ReadFrame(deadline, &type, &payload));
  if (status != NERR_Success) return status;
  return WindowsStatusOf(ParseSessionResponse(Frame{type, payload, 0}));
}

// One request and the reply that matches it by command and message id.
NET_API_STATUS Transact(Session& session, std::uint8_t command, std::uint16_t mid,
                        const Bytes& request, Clock::time_point deadline, SmbReply* reply) {
  NET_API_STATUS status =
      WindowsStatusOfRequest(command, session.Send(BuildSessionMessage(request), deadline));
  if (status != NERR_Success) return status;
  std::uint8_t type = 0;
  Bytes payload;
  status = WindowsStatusOfRequest(command, session.ReadFrame(deadline, &type, &payload));
  if (status != NERR_Success) return status;
  // Anything but the reply to this request: the conversation is broken.
  if (type != kFrameSessionMessage) return NERR_NetworkError;
  std::optional<SmbReply> parsed = ParseSmbReply(payload);
  if (!parsed || parsed->command != command || parsed->mid != mid) {
    return NERR_NetworkError;
  }
  *reply = std::move(*parsed);
  return WindowsStatusOf(*reply);
}

std::string LocalComputerName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return ComputerNameFromHostName(host);
}

}  // namespace

std::string ComputerNameFromHostName(std::string_view host_name) {
  std::string name = UpperCaseOem(host_name.substr(0, host_name.find('.')));
  if (name.size() > kNetbiosNameTextBytes) name.resize(kNetbiosNameTextBytes);
  return name.empty() ? kFallbackComputerName : name;
}

NET_API_STATUS SendNetMessage(const MessengerConfig& config, std::string_view recipient,
                              std::string_view text) {
  const auto deadline = Clock::now() + config.deadline;
  if (recipient.empty() || recipient.size() > kNetbiosNameTextBytes) return ERROR_INVALID_PARAMETER;

  Ipv4Address address;
  NetbiosName called;
  if (const auto literal = ParseIpv4Literal(recipient)) {
    // 0.0.0.0 would reach this machine, a broadcast or multicast address
    // many: none is the one computer the user named.
    if (!IsUnicastDestination(*literal)) return NERR_NameNotFound;
    address = *literal;
    const auto messenger_name = QueryMessengerName(config, address, deadline);
    called = messenger_name ? *messenger_name
                            : *MakeNetbiosName(kFallbackServerName, kSuffixFileServer);
  } else if (IsNumericSpelling(recipient)) {
    // Leading zeros, hex or fewer parts: no address the user can have meant
    // (the resolver would read 010 as 8), and no name to ask for either.
    return NERR_NameNotFound;
  } else {
    called = *MakeNetbiosName(recipient, kSuffixMessenger);
    auto found = QueryByBroadcast(config, called, deadline);
    if (!found && config.use_system_resolver) found = ResolveBySystem(std::string(recipient), deadline);
    if (!found) return NERR_NameNotFound;
    address = *found;
  }

  const std::string computer_name = ComputerNameFromHostName(
      config.computer_name.empty() ? LocalComputerName() : config.computer_name);
  const NetbiosName calling = *MakeNetbiosName(computer_name, kSuffixWorkstation);

  Session session;
  NET_API_STATUS status =
      WindowsStatusOfConnect(session.Connect(address, config.session_port, deadline));
  if (status == NERR_Success) status = OpenSession(session, called, calling, deadline);
  if (status != NERR_Success) return status;

  SmbIds ids{static_cast<std::uint16_t>(getpid()), 1};
  SmbReply reply;
  status = Transact(session, kCommandSendStart, ids.mid,
                    BuildSendStart(ids, computer_name, NetbiosNameText(called)), deadline, &reply);
  if (status != NERR_Success) return status;
  // Receivers that hand out a group id expect it back; others answer none.
  const std::uint16_t group_id = reply.words.empty() ? 0 : reply.words[0];
  for (const std::string_view block : SplitTextIntoBlocks(text, kMaxTextBlockBytes)) {
    ++ids.mid;
    status = Transact(session, kCommandSendText, ids.mid, BuildSendText(ids, group_id, block),
                      deadline, &reply);
    if (status != NERR_Success) return status;
  }
  ++ids.mid;
  return Transact(session, kCommandSendEnd, ids.mid, BuildSendEnd(ids, group_id), deadline,
                  &reply);
}

}  // namespace wirenote::messenger
