#pragma once
// The framing of both package resources: a 32-bit little-endian inflated
// size N, then one zlib stream that inflates to (at least) N bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace setup {

// A byte buffer allocated once and not zero-filled, so that inflating into
// it touches each page only once.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(size_t size);
  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }
  std::span<const uint8_t> span() const { return {data_.get(), size_}; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

// Exactly the first N inflated bytes of a framed block. Throws setup::Error
// for a block shorter than 4 bytes, damaged zlib data, or a stream that
// ends before N bytes come out.
ByteBuffer InflateFramed(std::span<const uint8_t> framed);

// Frames `data`: its size, then a zlib stream at level 9 (header 78 DA).
std::vector<uint8_t> DeflateFramed(std::span<const uint8_t> data);

}  // namespace setup
