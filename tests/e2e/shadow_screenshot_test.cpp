// The decorated window as a user sees it: a 537 x 297 borderless window with
// the rounded outline and the drop shadow, on a light desktop. The screen is
// captured into ARTIFACT_DIR\shadow.png for a look.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decor/ufrmShadowFrame.h"
#include "tests/support/png_image.h"
#include "tests/support/screenshot.h"
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

using testing_support::Image;

COLORREF At(const Image& shot, int x, int y) {
  const testing_support::Rgb p = shot.at(x, y);
  return RGB(p.r, p.g, p.b);
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
Image CaptureWhen(const std::function<bool(const Image&)>& done) {
  const ULONGLONG end = GetTickCount64() + 15000;
  while (true) {
    Pump();
    Image shot = testing_support::CaptureWholeScreen();
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
  const Image shot = CaptureWhen([&](const Image& s) {
    return At(s, inside.x, inside.y) == kBody && At(s, below.x, below.y) != kDesktop &&
           At(s, corner.x, corner.y) != kBody;
  });

  const std::wstring dir = testing_support::EnvVar(L"ARTIFACT_DIR");
  if (!dir.empty()) testing_support::WriteFileBytes(dir + L"\\shadow.png", testing_support::EncodePng(shot));

  EXPECT_EQ(At(shot, inside.x, inside.y), kBody) << "the window is not drawn";
  EXPECT_NE(At(shot, below.x, below.y), kDesktop) << "no shadow below the window";
  EXPECT_NE(At(shot, corner.x, corner.y), kBody) << "the corner is not rounded off";
  EXPECT_EQ(At(shot, away.x, away.y), kDesktop) << "the shadow reaches too far";
}

}  // namespace
}  // namespace setup
