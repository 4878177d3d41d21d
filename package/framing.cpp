#include "package/framing.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "base/bytes.h"
#include "base/error.h"

namespace setup {
namespace {

constexpr size_t kSizeField = 4;
// Deflate cannot compress better than about 1032:1, so a size beyond this
// bound can only belong to damaged data; it is refused before allocating.
constexpr uint64_t kMaxRatio = 1032;
constexpr uint64_t kRatioSlack = 64 * 1024;

// Releases the inflater on every path.
struct Inflater {
  z_stream z{};
  Inflater() {
    if (inflateInit(&z) != Z_OK) throw Error("Decompression error: zlib cannot be initialised");
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  ~Inflater() { inflateEnd(&z); }
};

std::string ReadError(size_t got, size_t wanted) {
  return "Read error: the package data ends after " + std::to_string(got) + " of " +
         std::to_string(wanted) + " bytes";
}

}  // namespace

ByteBuffer::ByteBuffer(size_t size) : data_(new uint8_t[size == 0 ? 1 : size]), size_(size) {}

ByteBuffer InflateFramed(std::span<const uint8_t> framed) {
  if (framed.size() < kSizeField) {
    throw Error("Read error: the package data is shorter than its 4-byte size field");
  }
  const uint32_t wanted = ReadUInt32LE(framed, 0);
  const auto input = framed.subspan(kSizeField);
  if (wanted > input.size() * kMaxRatio + kRatioSlack) throw Error(ReadError(0, wanted));

  ByteBuffer out;
  try {
    out = ByteBuffer(wanted);
  } catch (const std::bad_alloc&) {
    throw Error("Out of memory: the package needs " + std::to_string(wanted) + " bytes");
  }
  if (wanted == 0) return out;

  Inflater inflater;
  z_stream& z = inflater.z;
  z.next_out = out.data();
  z.avail_out = wanted;  // N fits in uInt: it came from 32 bits
  size_t consumed = 0;
  for (;;) {
    if (z.avail_in == 0 && consumed < input.size()) {
      const size_t chunk = std::min<size_t>(input.size() - consumed, std::numeric_limits<uInt>::max());
      z.next_in = const_cast<Bytef*>(input.data() + consumed);
      z.avail_in = static_cast<uInt>(chunk);
      consumed += chunk;
    }
    const int rc = inflate(&z, Z_NO_FLUSH);
    if (z.avail_out == 0) break;  // the first N bytes are all we take
    if (rc == Z_OK) continue;
    if (rc == Z_STREAM_END || (rc == Z_BUF_ERROR && consumed == input.size())) {
      throw Error(ReadError(wanted - z.avail_out, wanted));
    }
    if (rc != Z_BUF_ERROR) {
      throw Error(std::string("Decompression error: ") + (z.msg ? z.msg : "damaged zlib data"));
    }
  }
  return out;
}

std::vector<uint8_t> DeflateFramed(std::span<const uint8_t> data) {
  if (data.size() > std::numeric_limits<uint32_t>::max()) throw Error("A package block holds at most 4 GiB");
  uLongf bound = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(kSizeField + bound);
  WriteInt32LE(out, 0, static_cast<int32_t>(static_cast<uint32_t>(data.size())));
  const int rc = compress2(out.data() + kSizeField, &bound, data.data(), static_cast<uLong>(data.size()), 9);
  if (rc != Z_OK) throw Error("Compression failed (zlib error " + std::to_string(rc) + ")");
  out.resize(kSizeField + bound);
  return out;
}

}  // namespace setup
