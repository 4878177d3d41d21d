#pragma once
// Screenshots for the Windows test tiers: what the screen shows in an area,
// kept as a PNG artifact or read back pixel by pixel.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The pixels of a screen area, rows top-down.
struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
  COLORREF At(int x, int y) const {
    const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  bool operator==(const ScreenImage&) const = default;
};

// What the screen shows in `area` (screen coordinates).
ScreenImage CaptureScreen(const RECT& area);

// Captures `area` until two captures in a row agree (the display has caught
// up), at most for `timeoutMs`; returns the last capture.
ScreenImage CaptureSettledScreen(const RECT& area, DWORD timeoutMs = 5000);

// Writes an 8-bit RGB PNG.
void SavePng(const ScreenImage& image, const std::wstring& path);

}  // namespace testing_support
