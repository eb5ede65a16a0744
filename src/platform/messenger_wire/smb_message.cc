#include "messenger_wire/smb_message.h"

#include <algorithm>

namespace wirenote::messenger {
namespace {

constexpr std::size_t kSecurityFeatureBytes = 8;

Bytes Header(std::uint8_t command, SmbIds ids) {
  Bytes message;
  message.reserve(kSmbHeaderBytes + 3 + 2 * kMaxTextBlockBytes);
  PutBytes(&message, kSmbMagic);
  PutU8(&message, command);
  PutU32Le(&message, 0);  // status
  PutU8(&message, 0);     // flags
  PutU16Le(&message, 0);  // flags2
  PutU16Le(&message, 0);  // PID high
  message.insert(message.end(), kSecurityFeatureBytes, 0);
  PutU16Le(&message, 0);  // reserved
  PutU16Le(&message, kNoTree);
  PutU16Le(&message, ids.pid);
  PutU16Le(&message, 0);  // UID
  PutU16Le(&message, ids.mid);
  return message;
}

void PutString(Bytes* out, std::string_view text) {
  PutU8(out, kBufferFormatAscii);
  out->insert(out->end(), text.begin(), text.end());
  PutU8(out, 0);
}

}  // namespace

Bytes BuildSendStart(SmbIds ids, std::string_view originator, std::string_view destination) {
  Bytes message = Header(kCommandSendStart, ids);
  PutU8(&message, 0);  // WordCount
  PutU16Le(&message, static_cast<std::uint16_t>(originator.size() + destination.size() + 4));
  PutString(&message, originator);
  PutString(&message, destination);
  return message;
}

Bytes BuildSendText(SmbIds ids, std::uint16_t group_id, std::string_view text) {
  Bytes message = Header(kCommandSendText, ids);
  PutU8(&message, 1);  // WordCount
  PutU16Le(&message, group_id);
  PutU16Le(&message, static_cast<std::uint16_t>(text.size() + 3));
  PutU8(&message, kBufferFormatDataBlock);
  PutU16Le(&message, static_cast<std::uint16_t>(text.size()));
  message.insert(message.end(), text.begin(), text.end());
  return message;
}

Bytes BuildSendEnd(SmbIds ids, std::uint16_t group_id) {
  Bytes message = Header(kCommandSendEnd, ids);
  PutU8(&message, 1);  // WordCount
  PutU16Le(&message, group_id);
  PutU16Le(&message, 0);  // ByteCount
  return message;
}

std::optional<SmbReply> ParseSmbReply(ByteSpan message) {
  ByteReader reader(message);
  ByteSpan magic;
  SmbReply reply;
  std::uint16_t pid_high = 0;
  std::uint8_t word_count = 0;
  std::uint16_t byte_count = 0;
  if (!reader.Take(sizeof kSmbMagic, &magic) || !std::equal(magic.begin(), magic.end(), kSmbMagic) ||
      !reader.U8(&reply.command) || !reader.U32Le(&reply.status) || !reader.U8(&reply.flags) ||
      !reader.U16Le(&reply.flags2) || !reader.U16Le(&pid_high) ||
      !reader.Skip(kSecurityFeatureBytes + 2) || !reader.U16Le(&reply.tid) ||
      !reader.U16Le(&reply.pid) || !reader.U16Le(&reply.uid) || !reader.U16Le(&reply.mid)) {
    return std::nullopt;
  }
  if ((reply.flags & kFlagsReply) == 0) return std::nullopt;
  if (!reader.U8(&word_count)) return std::nullopt;
  reply.words.resize(word_count);
  for (std::uint16_t& word : reply.words) {
    if (!reader.U16Le(&word)) return std::nullopt;
  }
  ByteSpan data;
  if (!reader.U16Le(&byte_count) || !reader.Take(byte_count, &data)) return std::nullopt;
  reply.data.assign(data.begin(), data.end());
  return reply;
}

}  // namespace wirenote::messenger
