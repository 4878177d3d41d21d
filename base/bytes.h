#pragma once
// Little-endian reads and writes at byte offsets of a buffer. Records are
// always read this way, never by casting a struct.
#include <cstddef>
#include <cstdint>
#include <span>

namespace setup {

inline int32_t ReadInt32LE(std::span<const uint8_t> b, size_t at) {
  return static_cast<int32_t>(static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
                              static_cast<uint32_t>(b[at + 2]) << 16 |
                              static_cast<uint32_t>(b[at + 3]) << 24);
}

inline uint32_t ReadUInt32LE(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(ReadInt32LE(b, at));
}

inline void WriteInt32LE(std::span<uint8_t> b, size_t at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
  b[at + 2] = static_cast<uint8_t>(v >> 16);
  b[at + 3] = static_cast<uint8_t>(v >> 24);
}

inline uint16_t ReadUInt16LE(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

inline void WriteUInt16LE(std::span<uint8_t> b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace setup
