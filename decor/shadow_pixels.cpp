#include "decor/shadow_pixels.h"

#include <algorithm>

namespace setup {
namespace {

constexpr AlphaMulTableType BuildAlphaMulTable() {
  AlphaMulTableType table{};
  for (int i = 0; i < 256; ++i)
    for (int j = 0; j < 256; ++j) table[i][j] = static_cast<uint8_t>(i * j / 255);
  return table;
}

void FillRect(ShadowPixels& pixels, PixelRect r, uint8_t grey) {
  const int left = std::max(r.left, 0), right = std::min(r.right, pixels.width());
  const int top = std::max(r.top, 0), bottom = std::min(r.bottom, pixels.height());
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      uint8_t* p = pixels.Pixel(x, y);
      p[ShadowPixels::kBlue] = p[ShadowPixels::kGreen] = p[ShadowPixels::kRed] = grey;
      p[ShadowPixels::kAlpha] = 0;
    }
  }
}

PixelRect Moved(PixelRect r, int dx, int dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// One pass at distance d; reads and writes the same buffer on purpose.
void BlurPass(ShadowPixels& pixels, int d) {
  const int w = pixels.width(), h = pixels.height();
  const auto clampX = [w](int x) { return std::clamp(x, 0, w - 1); };
  const auto clampY = [h](int y) { return std::clamp(y, 0, h - 1); };
  for (int y = 0; y < h; ++y) {
    const int upper = clampY(y - d), lower = clampY(y + d);
    for (int x = 0; x < w; ++x) {
      const int left = clampX(x - d), right = clampX(x + d);
      const uint8_t* a = pixels.Pixel(left, upper);
      const uint8_t* b = pixels.Pixel(right, upper);
      const uint8_t* c = pixels.Pixel(left, lower);
      const uint8_t* e = pixels.Pixel(right, lower);
      uint8_t* out = pixels.Pixel(x, y);
      // Red, then green, then blue; a channel reads only its own channel, so
      // a neighbour that is `out` itself is read before it is written.
      for (int ch : {ShadowPixels::kRed, ShadowPixels::kGreen, ShadowPixels::kBlue})
        out[ch] = static_cast<uint8_t>((a[ch] + b[ch] + c[ch] + e[ch]) >> 2);
    }
  }
}

}  // namespace

constinit const AlphaMulTableType AlphaMulTable = BuildAlphaMulTable();

void ShadowPixels::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  bytes_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4, 0);
}

void DrawSilhouette(ShadowPixels& pixels, int ownerWidth, int ownerHeight,
                    std::span<const PixelRect> regionRects) {
  FillRect(pixels, {0, 0, pixels.width(), pixels.height()}, 0);
  if (regionRects.size() < 2) {
    FillRect(pixels, {ShadowMargin, ShadowMargin, ShadowMargin + ownerWidth, ShadowMargin + ownerHeight}, 255);
    return;
  }
  for (const PixelRect& r : regionRects) FillRect(pixels, Moved(r, ShadowMargin, ShadowMargin), 255);
}

void BlurShadow(ShadowPixels& pixels) {
  if (pixels.empty()) return;
  for (int d = 1; d <= 3; ++d) BlurPass(pixels, d);
}

void PremultiplyShadow(ShadowPixels& pixels, ShadowRgb color) {
  for (int y = 0; y < pixels.height(); ++y) {
    for (int x = 0; x < pixels.width(); ++x) {
      uint8_t* p = pixels.Pixel(x, y);
      const uint8_t alpha = p[ShadowPixels::kBlue];
      p[ShadowPixels::kAlpha] = alpha;
      p[ShadowPixels::kBlue] = AlphaMulTable[color.blue][alpha];
      p[ShadowPixels::kGreen] = AlphaMulTable[color.green][alpha];
      p[ShadowPixels::kRed] = AlphaMulTable[color.red][alpha];
    }
  }
}

}  // namespace setup
