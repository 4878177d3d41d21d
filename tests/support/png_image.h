#pragma once
// A plain RGB picture and its PNG form: what the screenshots of the
// end-to-end tests are written as, and read back to look at a pixel.
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row by row from the top, `width` per row

  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Image&) const = default;
};

// The PNG file bytes of `image` (8-bit RGB, no interlace).
std::string EncodePng(const Image& image);

// Reads PNG bytes of 8-bit RGB or RGBA (alpha dropped), not interlaced, any
// row filter. Throws setup::Error on anything else or on damaged bytes.
Image DecodePng(const std::string& bytes);

}  // namespace testing_support
