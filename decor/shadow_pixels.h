#pragma once
// The drop shadow's picture, worked out on a plain pixel buffer: the owner's
// silhouette, the blur and the premultiplication by the shadow colour. The
// window code only hands the finished buffer to the system.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace setup {

// The bitmap reaches this far beyond the owner's silhouette on every side.
inline constexpr int ShadowMargin = 16;
// The silhouette is shifted this far right and down from the owner.
inline constexpr int ShadowOffset = 3;

struct ShadowRgb {
  uint8_t red, green, blue;
};
// Light blue.
inline constexpr ShadowRgb ShadowColor{134, 155, 222};

// A rectangle of pixels; right and bottom are exclusive, as in a Win32 RECT.
struct PixelRect {
  int left, top, right, bottom;
};

// A 32-bit image: 4 bytes per pixel in the order blue, green, red, alpha;
// row 0 is the top row, rows follow each other without padding (the layout
// of a top-down 32-bit DIB section).
class ShadowPixels {
 public:
  static constexpr int kBlue = 0, kGreen = 1, kRed = 2, kAlpha = 3;

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return bytes_.empty(); }
  // Resizes; the contents are undefined afterwards until redrawn.
  void Resize(int width, int height);

  uint8_t* Pixel(int x, int y) { return &bytes_[Index(x, y)]; }
  const uint8_t* Pixel(int x, int y) const { return &bytes_[Index(x, y)]; }
  std::span<const uint8_t> bytes() const { return bytes_; }

 private:
  size_t Index(int x, int y) const {
    return (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4;
  }
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> bytes_;
};

// The shadow bitmap's size for an owner of the given outer size.
inline int ShadowBitmapExtent(int ownerExtent) { return ownerExtent + 2 * ShadowMargin; }

// Fills the whole buffer black, then paints the owner's silhouette white at
// (ShadowMargin, ShadowMargin). `regionRects` are the rectangles of the
// owner's window region in window coordinates; fewer than two (an empty or a
// plain rectangular region) count as no region, and the silhouette is then
// the whole owner of ownerWidth x ownerHeight. Paint outside the buffer is
// clipped. Every alpha byte ends 0.
void DrawSilhouette(ShadowPixels& pixels, int ownerWidth, int ownerHeight,
                    std::span<const PixelRect> regionRects);

// Softens the picture in place with three passes of distance 1, 2 and 3.
// Each pass replaces every pixel's red, green and blue, row by row from the
// top and column by column from the left, by the truncated mean of the four
// pixels D rows above and below and D columns left and right (indexes
// clamped to the picture). Rows above the current one have already been
// replaced when they are read, so the result depends on this exact order: it
// spreads at most 6 pixels upwards and trails further downwards. Alpha bytes
// are left alone.
void BlurShadow(ShadowPixels& pixels);

// AlphaMulTable[i][j] = i * j / 255, truncated: 64 KiB, computed once
// before the program runs, so premultiplying needs no division.
using AlphaMulTableType = std::array<std::array<uint8_t, 256>, 256>;
extern const AlphaMulTableType AlphaMulTable;

// Turns the blurred grey picture into the shadow: each pixel's alpha becomes
// its blue value, and its colour becomes `color` premultiplied by that
// alpha, as UpdateLayeredWindow with AC_SRC_ALPHA expects.
void PremultiplyShadow(ShadowPixels& pixels, ShadowRgb color = ShadowColor);

}  // namespace setup
