// The decorated window as a user sees it: a 537 x 297 borderless window with
// the rounded outline and the drop shadow, on a light desktop. The screen is
// captured into ARTIFACT_DIR\shadow.png for a look.
#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decor/ufrmShadowFrame.h"
#include "tests/support/test_paths.h"
#include "win/handles.h"

namespace setup {
namespace {

constexpr int kWidth = 537, kHeight = 297;
constexpr COLORREF kDesktop = RGB(238, 241, 246);
constexpr COLORREF kHeader = RGB(40, 96, 176);
constexpr COLORREF kBody = RGB(255, 255, 255);

LRESULT CALLBACK PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    const bool desktop = GetWindowLongPtrW(window, GWLP_USERDATA) == 1;
    win::UniqueGdiObject body(CreateSolidBrush(desktop ? kDesktop : kBody));
    FillRect(dc, &r, static_cast<HBRUSH>(body.get()));
    if (!desktop) {
      RECT header{0, 0, r.right, 81};
      win::UniqueGdiObject blue(CreateSolidBrush(kHeader));
      FillRect(dc, &header, static_cast<HBRUSH>(blue.get()));
    }
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* title, DWORD style, int x, int y, int w, int h, HWND owner) {
  static const ATOM cls = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"ShadowScreenshotWindow";
    return RegisterClassExW(&wc);
  }();
  return CreateWindowExW(0, MAKEINTATOM(cls), title, style, x, y, w, h, owner, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

// The screen's pixels, 0x00RRGGBB, rows from the top.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  COLORREF At(int x, int y) const {
    const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

Screenshot CaptureScreen() {
  Screenshot shot;
  shot.width = GetSystemMetrics(SM_CXSCREEN);
  shot.height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  win::UniqueMemoryDc dc(CreateCompatibleDC(screen));
  void* bits = nullptr;
  win::UniqueGdiObject dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    win::SelectGuard select(dc.get(), dib.get());
    BitBlt(dc.get(), 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
  }
  ReleaseDC(nullptr, screen);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  shot.pixels.assign(p, p + static_cast<size_t>(shot.width) * shot.height);
  return shot;
}

// A minimal PNG: 8-bit RGB, one IDAT, no filtering.
std::string EncodePng(const Screenshot& shot) {
  const auto be32 = [](std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
  };
  const auto chunk = [&](std::string& out, const char* type, const std::string& data) {
    be32(out, static_cast<uint32_t>(data.size()));
    const std::string body = type + data;
    out += body;
    be32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
  };
  std::string raw;
  for (int y = 0; y < shot.height; ++y) {
    raw += '\0';
    for (int x = 0; x < shot.width; ++x) {
      const COLORREF c = shot.At(x, y);
      raw += static_cast<char>(GetRValue(c));
      raw += static_cast<char>(GetGValue(c));
      raw += static_cast<char>(GetBValue(c));
    }
  }
  uLongf size = compressBound(raw.size());
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(),
            6);
  packed.resize(size);

  std::string header;
  be32(header, static_cast<uint32_t>(shot.width));
  be32(header, static_cast<uint32_t>(shot.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);
  std::string png = "\x89PNG\r\n\x1a\n";
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", packed);
  chunk(png, "IEND", "");
  return png;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps messages and captures the screen until `done` accepts a capture, for
// at most 15 seconds; gives the last capture.
Screenshot CaptureWhen(const std::function<bool(const Screenshot&)>& done) {
  const ULONGLONG end = GetTickCount64() + 15000;
  while (true) {
    Pump();
    Screenshot shot = CaptureScreen();
    if (done(shot) || GetTickCount64() > end) return shot;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

TEST(ShadowScreenshot, DecoratedWindowOnALightDesktop) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  win::UniqueWindow desktop(MakeWindow(L"desktop", WS_POPUP, 0, 0, screenW, screenH, nullptr));
  ASSERT_TRUE(desktop);
  SetWindowLongPtrW(desktop.get(), GWLP_USERDATA, 1);
  ShowWindow(desktop.get(), SW_SHOWNOACTIVATE);
  UpdateWindow(desktop.get());

  // As in the installer: the application's hidden window owns the main
  // window and the shadow; the shadow is attached before the window shows.
  win::UniqueWindow app(MakeWindow(L"app", WS_POPUP, 0, 0, 0, 0, nullptr));
  const int x = (screenW - kWidth) / 2, y = (screenH - kHeight) / 2;
  win::UniqueWindow form(MakeWindow(L"form", WS_POPUP, x, y, kWidth, kHeight, app.get()));
  ASSERT_TRUE(app && form);
  std::unique_ptr<TFormShadow> shadow = DecorateMainWindow(app.get(), form.get());
  ShowWindow(form.get(), SW_SHOWNORMAL);
  UpdateWindow(form.get());

  const POINT inside{x + kWidth / 2, y + kHeight / 2};
  const POINT below{x + kWidth / 2, y + kHeight + 6};  // in the shadow's densest part
  const POINT corner{x, y};                            // cut off by the outline
  const POINT away{x - 60, y + kHeight / 2};           // beyond the shadow
  const Screenshot shot = CaptureWhen([&](const Screenshot& s) {
    return s.At(inside.x, inside.y) == kBody && s.At(below.x, below.y) != kDesktop &&
           s.At(corner.x, corner.y) != kBody;
  });

  const std::wstring dir = testing_support::EnvVar(L"ARTIFACT_DIR");
  if (!dir.empty()) testing_support::WriteFileBytes(dir + L"\\shadow.png", EncodePng(shot));

  EXPECT_EQ(shot.At(inside.x, inside.y), kBody) << "the window is not drawn";
  EXPECT_NE(shot.At(below.x, below.y), kDesktop) << "no shadow below the window";
  EXPECT_NE(shot.At(corner.x, corner.y), kBody) << "the corner is not rounded off";
  EXPECT_EQ(shot.At(away.x, away.y), kDesktop) << "the shadow reaches too far";
}

}  // namespace
}  // namespace setup
