#include "screenshot.h"

#include "base/error.h"
#include "test_paths.h"
#include "win/handles.h"
#include "win/system_error.h"

namespace testing_support {

Image CaptureScreen(const RECT& area) {
  RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT clipped;
  if (!IntersectRect(&clipped, &area, &screen)) throw setup::Error("screenshot: the area is not on the screen");
  const int width = clipped.right - clipped.left, height = clipped.bottom - clipped.top;

  HDC screenDc = GetDC(nullptr);
  if (!screenDc) win::ThrowSystemError("screenshot: GetDC");
  struct Release {
    HDC dc;
    ~Release() { ReleaseDC(nullptr, dc); }
  } releaseScreenDc{screenDc};

  // A top-down 32-bit DIB: rows from the top, 4 bytes per pixel (B, G, R, x).
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::UniqueGdiObject bitmap(CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) win::ThrowSystemError("screenshot: CreateDIBSection");
  win::UniqueMemoryDc memoryDc(CreateCompatibleDC(screenDc));
  if (!memoryDc) win::ThrowSystemError("screenshot: CreateCompatibleDC");
  {
    win::SelectGuard select(memoryDc.get(), bitmap.get());
    if (!BitBlt(memoryDc.get(), 0, 0, width, height, screenDc, clipped.left, clipped.top, SRCCOPY | CAPTUREBLT)) {
      win::ThrowSystemError("screenshot: BitBlt");
    }
  }
  GdiFlush();

  Image image{width, height, {}};
  image.pixels.reserve(static_cast<size_t>(width) * height);
  const auto* p = static_cast<const uint8_t*>(bits);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i, p += 4) {
    image.pixels.push_back({p[2], p[1], p[0]});
  }
  return image;
}

Image CaptureWholeScreen() {
  const RECT all{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                 GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  return CaptureScreen(all);
}

Image CaptureWindow(HWND window) {
  RECT area;
  if (!GetWindowRect(window, &area)) win::ThrowSystemError("screenshot: GetWindowRect");
  return CaptureScreen(area);
}

Image CaptureSettled(const RECT& area, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  Image last = CaptureScreen(area);
  while (GetTickCount64() < end) {
    Sleep(100);  // the gap between two captures compared, not a wait for the window
    Image next = CaptureScreen(area);
    if (next == last) return next;
    last = std::move(next);
  }
  return last;
}

void SavePng(const Image& image, const std::wstring& path) { WriteFileBytes(path, EncodePng(image)); }

}  // namespace testing_support
