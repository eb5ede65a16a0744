// The messenger's wire formats: pure protocol. This folder only builds and
// reads bytes (NetBIOS names, the name service, the session service, the SMB
// message commands, the cutting of text into blocks); it opens no socket,
// knows no operating system and no Windows type, and says nothing of what an
// outcome means to the sender. It builds for any OS with any C++20 compiler.
// Everything that touches the network, and the mapping of outcomes to
// Windows status codes, is the POSIX client's, in platform/posix/messenger.
//
// This file: bounds-checked reading and plain appending of wire fields.
// Every read says whether the bytes were there, so a parser can never step
// past its input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace wirenote::messenger {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

class ByteReader {
 public:
  explicit ByteReader(ByteSpan bytes) : bytes_(bytes) {}

  std::size_t remaining() const { return bytes_.size() - at_; }
  std::size_t position() const { return at_; }

  bool U8(std::uint8_t* value) {
    if (remaining() < 1) return false;
    *value = bytes_[at_++];
    return true;
  }
  bool U16Be(std::uint16_t* value) {
    if (remaining() < 2) return false;
    *value = static_cast<std::uint16_t>(bytes_[at_] << 8 | bytes_[at_ + 1]);
    at_ += 2;
    return true;
  }
  bool U16Le(std::uint16_t* value) {
    if (remaining() < 2) return false;
    *value = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool U32Be(std::uint32_t* value) {
    std::uint16_t high = 0;
    std::uint16_t low = 0;
    if (remaining() < 4) return false;
    U16Be(&high);
    U16Be(&low);
    *value = static_cast<std::uint32_t>(high) << 16 | low;
    return true;
  }
  bool U32Le(std::uint32_t* value) {
    std::uint16_t high = 0;
    std::uint16_t low = 0;
    if (remaining() < 4) return false;
    U16Le(&low);
    U16Le(&high);
    *value = static_cast<std::uint32_t>(high) << 16 | low;
    return true;
  }
  bool Take(std::size_t count, ByteSpan* taken) {
    if (remaining() < count) return false;
    *taken = bytes_.subspan(at_, count);
    at_ += count;
    return true;
  }
  bool Skip(std::size_t count) {
    if (remaining() < count) return false;
    at_ += count;
    return true;
  }

 private:
  ByteSpan bytes_;
  std::size_t at_ = 0;
};

inline void PutU8(Bytes* out, std::uint8_t value) { out->push_back(value); }
inline void PutU16Be(Bytes* out, std::uint16_t value) {
  out->push_back(static_cast<std::uint8_t>(value >> 8));
  out->push_back(static_cast<std::uint8_t>(value));
}
inline void PutU16Le(Bytes* out, std::uint16_t value) {
  out->push_back(static_cast<std::uint8_t>(value));
  out->push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutU32Le(Bytes* out, std::uint32_t value) {
  PutU16Le(out, static_cast<std::uint16_t>(value));
  PutU16Le(out, static_cast<std::uint16_t>(value >> 16));
}
inline void PutBytes(Bytes* out, ByteSpan bytes) { out->insert(out->end(), bytes.begin(), bytes.end()); }

}  // namespace wirenote::messenger
