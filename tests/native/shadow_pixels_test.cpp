#include "decor/shadow_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace setup {
namespace {

constexpr int kBlue = ShadowPixels::kBlue, kGreen = ShadowPixels::kGreen, kRed = ShadowPixels::kRed,
              kAlpha = ShadowPixels::kAlpha;

ShadowPixels Shadow(int ownerWidth, int ownerHeight, std::vector<PixelRect> region = {}) {
  ShadowPixels pixels;
  pixels.Resize(ShadowBitmapExtent(ownerWidth), ShadowBitmapExtent(ownerHeight));
  DrawSilhouette(pixels, ownerWidth, ownerHeight, region);
  BlurShadow(pixels);
  PremultiplyShadow(pixels);
  return pixels;
}

// The shadow of the designed 537 x 297 window, made once.
const ShadowPixels& DesignedShadow() {
  static const ShadowPixels pixels = Shadow(537, 297);
  return pixels;
}

int Alpha(const ShadowPixels& p, int x, int y) { return p.Pixel(x, y)[kAlpha]; }

// A run of alpha values from (x, y) in steps of (dx, dy).
struct AlphaRun {
  const char* what;
  int x, y, dx, dy;
  std::vector<int> alphas;
};

std::vector<int> Repeat(int count, int value) { return std::vector<int>(count, value); }

TEST(ShadowPixels, DesignedWindowGivesTheKnownAlphas) {
  const ShadowPixels& p = DesignedShadow();
  ASSERT_EQ(p.width(), 569);
  ASSERT_EQ(p.height(), 329);

  const std::vector<int> rowEdge = {0, 0, 1, 1, 3, 4, 7, 11, 17, 24, 37, 48, 64, 79, 97, 113, 137};
  const AlphaRun runs[] = {
      {"column 284, rows 0-9", 284, 0, 0, 1, Repeat(10, 0)},
      {"column 284, rows 10-16", 284, 10, 0, 1, {31, 47, 71, 99, 121, 140, 161}},
      {"column 284, rows 37-306", 284, 37, 0, 1, Repeat(306 - 37 + 1, 252)},
      {"column 284, row 307", 284, 307, 0, 1, {221}},
      {"column 284, last row", 284, 328, 0, 1, {4}},
      {"row 164, columns 0-16", 0, 164, 1, 0, rowEdge},
      {"row 164, columns 568-552", 568, 164, -1, 0, rowEdge},
      {"row 164, columns 31-537", 31, 164, 1, 0, Repeat(537 - 31 + 1, 252)},
  };
  for (const AlphaRun& run : runs) {
    for (size_t i = 0; i < run.alphas.size(); ++i) {
      const int x = run.x + run.dx * static_cast<int>(i), y = run.y + run.dy * static_cast<int>(i);
      EXPECT_EQ(Alpha(p, x, y), run.alphas[i]) << run.what << " at (" << x << ", " << y << ")";
    }
  }
}

TEST(ShadowPixels, DesignedWindowPeaksAt252DeepInside) {
  const ShadowPixels& p = DesignedShadow();
  // The silhouette covers columns 16-552 and rows 16-312.
  int failures = 0;
  for (int y = 0; y < p.height() && failures < 5; ++y) {
    for (int x = 0; x < p.width() && failures < 5; ++x) {
      const bool deepInside = x >= 16 + 22 && x <= 552 - 22 && y >= 16 + 22 && y <= 312 - 22;
      const int alpha = Alpha(p, x, y);
      if (alpha > 252 || (deepInside && alpha != 252)) {
        ADD_FAILURE() << "alpha " << alpha << " at (" << x << ", " << y << ")";
        ++failures;
      }
    }
  }
}

TEST(ShadowPixels, ColourIsPremultipliedByAlpha) {
  struct Case {
    uint8_t grey;
    int red, green, blue;
  };
  const Case cases[] = {{255, 134, 155, 222}, {128, 67, 77, 111}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    ShadowPixels p;
    p.Resize(1, 1);
    uint8_t* px = p.Pixel(0, 0);
    px[kBlue] = px[kGreen] = px[kRed] = c.grey;
    PremultiplyShadow(p);
    EXPECT_EQ(px[kAlpha], c.grey);
    EXPECT_EQ(px[kRed], c.red) << "grey " << int(c.grey);
    EXPECT_EQ(px[kGreen], c.green) << "grey " << int(c.grey);
    EXPECT_EQ(px[kBlue], c.blue) << "grey " << int(c.grey);
  }
}

// The silhouette alone, as a text picture: '#' white, '.' black.
std::vector<std::string> SilhouetteRows(int ownerWidth, int ownerHeight, std::vector<PixelRect> region) {
  ShadowPixels p;
  p.Resize(ShadowBitmapExtent(ownerWidth), ShadowBitmapExtent(ownerHeight));
  // Stale contents must not survive.
  for (int y = 0; y < p.height(); ++y)
    for (int x = 0; x < p.width(); ++x) p.Pixel(x, y)[kGreen] = 77;
  DrawSilhouette(p, ownerWidth, ownerHeight, region);
  std::vector<std::string> rows;
  for (int y = 0; y < p.height(); ++y) {
    std::string row;
    for (int x = 0; x < p.width(); ++x) {
      const uint8_t* px = p.Pixel(x, y);
      EXPECT_EQ(px[kBlue], px[kGreen]);
      EXPECT_EQ(px[kGreen], px[kRed]);
      row += px[kBlue] == 255 ? '#' : px[kBlue] == 0 ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

// The rows of an image where the rectangles (in bitmap coordinates) are set.
std::vector<std::string> Expected(int width, int height, std::vector<PixelRect> set) {
  std::vector<std::string> rows(height, std::string(width, '.'));
  for (const PixelRect& r : set)
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) rows[y][x] = '#';
  return rows;
}

TEST(ShadowPixels, SilhouetteFollowsAComplexRegionOnly) {
  constexpr int m = ShadowMargin;
  struct Case {
    const char* what;
    std::vector<PixelRect> region;
    std::vector<PixelRect> painted;  // in bitmap coordinates
  };
  const Case cases[] = {
      {"no region: the whole window", {}, {{m, m, m + 5, m + 4}}},
      {"a rectangle counts as no region", {{1, 1, 3, 2}}, {{m, m, m + 5, m + 4}}},
      {"a complex region: its rectangles", {{1, 0, 4, 1}, {0, 1, 5, 3}}, {{m + 1, m, m + 4, m + 1}, {m, m + 1, m + 5, m + 3}}},
      {"a region beyond the bitmap is clipped",
       {{-20, -20, 2, 2}, {3, 3, 40, 40}},
       {{0, 0, m + 2, m + 2}, {m + 3, m + 3, 2 * m + 5, 2 * m + 4}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SilhouetteRows(5, 4, c.region), Expected(2 * m + 5, 2 * m + 4, c.painted)) << c.what;
}

TEST(ShadowPixels, BlurLeavesAlphaAndEmptyPictures) {
  ShadowPixels empty;
  BlurShadow(empty);  // nothing to do, nothing read
  EXPECT_TRUE(empty.empty());

  ShadowPixels p;
  p.Resize(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) p.Pixel(x, y)[kAlpha] = static_cast<uint8_t>(10 * x + y);
  p.Pixel(1, 0)[kRed] = 200;
  BlurShadow(p);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(p.Pixel(x, y)[kAlpha], 10 * x + y);
}

}  // namespace
}  // namespace setup
