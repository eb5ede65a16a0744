#include "messenger_wire/name_service.h"

#include <algorithm>

namespace wirenote::messenger {
namespace {

constexpr std::uint8_t kPointerMask = 0xC0;
constexpr std::size_t kQuestionTrailerBytes = 4;  // type, class
constexpr std::size_t kTtlBytes = 4;

Bytes BuildQuestion(std::uint16_t transaction_id, std::uint16_t flags, const NetbiosName& name,
                    std::uint16_t type) {
  Bytes packet;
  packet.reserve(kNameServiceHeaderBytes + kEncodedNameBytes + kQuestionTrailerBytes);
  PutU16Be(&packet, transaction_id);
  PutU16Be(&packet, flags);
  PutU16Be(&packet, 1);  // QDCOUNT
  PutU16Be(&packet, 0);  // ANCOUNT
  PutU16Be(&packet, 0);  // NSCOUNT
  PutU16Be(&packet, 0);  // ARCOUNT
  PutBytes(&packet, EncodeName(name));
  PutU16Be(&packet, type);
  PutU16Be(&packet, kClassInternet);
  return packet;
}

// Reads a name as labels up to the empty one, or up to a pointer back into
// the packet (which is never followed). `decoded` gets the NetBIOS name when
// the first label is a first-level encoded one.
bool ReadName(ByteReader& reader, std::optional<NetbiosName>* decoded) {
  bool first = true;
  for (;;) {
    std::uint8_t length = 0;
    if (!reader.U8(&length)) return false;
    if ((length & kPointerMask) == kPointerMask) return reader.Skip(1);
    if ((length & kPointerMask) != 0) return false;
    if (length == 0) return true;
    ByteSpan label;
    if (!reader.Take(length, &label)) return false;
    if (first && decoded != nullptr) *decoded = DecodeNameLabel(label);
    first = false;
  }
}

struct Header {
  std::uint16_t transaction_id = 0;
  std::uint16_t flags = 0;
  std::uint16_t questions = 0;
  std::uint16_t answers = 0;
};

// The header of a response, with the reader left at its first answer.
bool ReadResponseHeader(ByteReader& reader, Header* header) {
  std::uint16_t authority = 0;
  std::uint16_t additional = 0;
  if (!reader.U16Be(&header->transaction_id) || !reader.U16Be(&header->flags) ||
      !reader.U16Be(&header->questions) || !reader.U16Be(&header->answers) ||
      !reader.U16Be(&authority) || !reader.U16Be(&additional)) {
    return false;
  }
  if ((header->flags & kFlagResponse) == 0 || (header->flags & kOpcodeMask) != 0) return false;
  for (std::uint16_t i = 0; i < header->questions; ++i) {
    if (!ReadName(reader, nullptr) || !reader.Skip(kQuestionTrailerBytes)) return false;
  }
  return true;
}

struct Answer {
  std::optional<NetbiosName> name;
  std::uint16_t type = 0;
  ByteSpan data;
};

bool ReadAnswer(ByteReader& reader, Answer* answer) {
  std::uint16_t answer_class = 0;
  std::uint16_t data_length = 0;
  return ReadName(reader, &answer->name) && reader.U16Be(&answer->type) &&
         reader.U16Be(&answer_class) && answer_class == kClassInternet && reader.Skip(kTtlBytes) &&
         reader.U16Be(&data_length) && reader.Take(data_length, &answer->data);
}

}  // namespace

Bytes BuildNameQuery(std::uint16_t transaction_id, const NetbiosName& name, bool broadcast) {
  const std::uint16_t flags =
      broadcast ? kFlagRecursionDesired | kFlagBroadcast : kFlagRecursionDesired;
  return BuildQuestion(transaction_id, flags, name, kTypeNb);
}

Bytes BuildNodeStatusRequest(std::uint16_t transaction_id) {
  return BuildQuestion(transaction_id, 0, WildcardName(), kTypeNbstat);
}

std::optional<NameQueryResponse> ParseNameQueryResponse(ByteSpan packet) {
  ByteReader reader(packet);
  Header header;
  if (!ReadResponseHeader(reader, &header)) return std::nullopt;
  NameQueryResponse response;
  response.transaction_id = header.transaction_id;
  response.rcode = static_cast<std::uint8_t>(header.flags & kRcodeMask);
  if (response.rcode != 0) return response;
  if (header.answers == 0) return std::nullopt;

  Answer answer;
  if (!ReadAnswer(reader, &answer) || answer.type != kTypeNb) return std::nullopt;
  if (answer.data.empty() || answer.data.size() % kNbAddressEntryBytes != 0) return std::nullopt;
  response.name = answer.name;
  ByteReader data(answer.data);
  while (data.remaining() > 0) {
    std::uint16_t nb_flags = 0;
    ByteSpan address;
    data.U16Be(&nb_flags);
    data.Take(4, &address);
    NameAddress entry;
    entry.group = (nb_flags & kNbFlagGroup) != 0;
    std::copy(address.begin(), address.end(), entry.ipv4.begin());
    response.addresses.push_back(entry);
  }
  return response;
}

std::optional<NodeStatusResponse> ParseNodeStatusResponse(ByteSpan packet) {
  ByteReader reader(packet);
  Header header;
  if (!ReadResponseHeader(reader, &header)) return std::nullopt;
  if ((header.flags & kRcodeMask) != 0 || header.answers == 0) return std::nullopt;
  Answer answer;
  if (!ReadAnswer(reader, &answer) || answer.type != kTypeNbstat) return std::nullopt;

  ByteReader data(answer.data);
  std::uint8_t count = 0;
  if (!data.U8(&count) || data.remaining() < count * kNodeStatusEntryBytes) return std::nullopt;
  NodeStatusResponse response;
  response.transaction_id = header.transaction_id;
  for (std::uint8_t i = 0; i < count; ++i) {
    ByteSpan name;
    NodeStatusEntry entry;
    data.Take(kNetbiosNameBytes, &name);
    data.U16Be(&entry.flags);
    std::copy(name.begin(), name.end(), entry.name.begin());
    response.names.push_back(entry);
  }
  return response;
}

std::optional<NetbiosName> MessengerNameIn(const NodeStatusResponse& response) {
  for (const NodeStatusEntry& entry : response.names) {
    if (entry.name[kNetbiosNameTextBytes] == kSuffixMessenger &&
        (entry.flags & kNbFlagGroup) == 0) {
      return entry.name;
    }
  }
  return std::nullopt;
}

}  // namespace wirenote::messenger
