#include "png_image.h"

#include <zlib.h>

#include <cstdlib>
#include <string_view>

#include "base/error.h"

namespace testing_support {
namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);

void AppendBigEndian32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t ReadBigEndian32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

void AppendChunk(std::string& out, std::string_view type, std::string_view data) {
  AppendBigEndian32(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.append(type);
  out.append(data);
  const auto* crcStart = reinterpret_cast<const Bytef*>(out.data() + typeAt);
  AppendBigEndian32(out, static_cast<uint32_t>(crc32(0, crcStart, static_cast<uInt>(4 + data.size()))));
}

// The Paeth predictor of the PNG row filters.
uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes the row filters in place; `data` holds one filter byte and
// `stride` bytes per row.
void Unfilter(std::string& data, int height, size_t stride, size_t bytesPerPixel) {
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint8_t*>(data.data()) + static_cast<size_t>(y) * (stride + 1);
    const uint8_t filter = row[0];
    uint8_t* cur = row + 1;
    const uint8_t* prev = y > 0 ? cur - (stride + 1) : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= bytesPerPixel ? cur[i - bytesPerPixel] : 0;
      const int b = prev ? prev[i] : 0;
      const int c = (prev && i >= bytesPerPixel) ? prev[i - bytesPerPixel] : 0;
      switch (filter) {
        case 0: break;
        case 1: cur[i] = static_cast<uint8_t>(cur[i] + a); break;
        case 2: cur[i] = static_cast<uint8_t>(cur[i] + b); break;
        case 3: cur[i] = static_cast<uint8_t>(cur[i] + (a + b) / 2); break;
        case 4: cur[i] = static_cast<uint8_t>(cur[i] + Paeth(a, b, c)); break;
        default: throw setup::Error("PNG: unknown row filter " + std::to_string(filter));
      }
    }
  }
}

}  // namespace

std::string EncodePng(const Image& image) {
  const size_t stride = static_cast<size_t>(image.width) * 3;
  std::string raw;
  raw.reserve((stride + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // no filter: the pictures are small, speed does not matter
    for (int x = 0; x < image.width; ++x) {
      const Rgb p = image.at(x, y);
      raw += static_cast<char>(p.r);
      raw += static_cast<char>(p.g);
      raw += static_cast<char>(p.b);
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK) {
    throw setup::Error("PNG: cannot compress the picture");
  }
  packed.resize(packedSize);

  std::string header;
  AppendBigEndian32(header, static_cast<uint32_t>(image.width));
  AppendBigEndian32(header, static_cast<uint32_t>(image.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace

  std::string png(kSignature);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", packed);
  AppendChunk(png, "IEND", {});
  return png;
}

Image DecodePng(const std::string& bytes) {
  const std::string_view in(bytes);
  if (!in.starts_with(kSignature)) throw setup::Error("PNG: no PNG signature");
  Image image;
  size_t bytesPerPixel = 0;
  std::string packed;
  for (size_t at = kSignature.size();;) {
    if (in.size() - at < 12) throw setup::Error("PNG: cut off");
    const uint32_t length = ReadBigEndian32(in, at);
    if (length > in.size() - at - 12) throw setup::Error("PNG: chunk runs past the end");
    const std::string_view type = in.substr(at + 4, 4);
    const std::string_view data = in.substr(at + 8, length);
    at += 12 + length;
    if (type == "IHDR") {
      if (data.size() != 13) throw setup::Error("PNG: bad header");
      image.width = static_cast<int>(ReadBigEndian32(data, 0));
      image.height = static_cast<int>(ReadBigEndian32(data, 4));
      const auto depth = static_cast<uint8_t>(data[8]), colour = static_cast<uint8_t>(data[9]);
      if (depth != 8 || (colour != 2 && colour != 6) || data[12] != 0) {
        throw setup::Error("PNG: only 8-bit RGB or RGBA without interlace is read");
      }
      if (image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384) {
        throw setup::Error("PNG: implausible size");
      }
      bytesPerPixel = colour == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      packed.append(data);
    } else if (type == "IEND") {
      break;
    }
  }
  if (bytesPerPixel == 0) throw setup::Error("PNG: no header");

  const size_t stride = static_cast<size_t>(image.width) * bytesPerPixel;
  std::string raw((stride + 1) * image.height, '\0');
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                 static_cast<uLong>(packed.size())) != Z_OK ||
      rawSize != raw.size()) {
    throw setup::Error("PNG: damaged picture data");
  }
  Unfilter(raw, image.height, stride, bytesPerPixel);

  image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const uint8_t*>(raw.data()) + static_cast<size_t>(y) * (stride + 1) + 1;
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = row + static_cast<size_t>(x) * bytesPerPixel;
      image.pixels.push_back({p[0], p[1], p[2]});
    }
  }
  return image;
}

}  // namespace testing_support
