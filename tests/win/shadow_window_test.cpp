// The drop-shadow window against a real borderless owner window: placement,
// Z-order, redrawing, hiding, attaching and detaching, hit tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decor/shadow_pixels.h"
#include "decor/ufrmShadowFrame.h"
#include "win/handles.h"

namespace setup {
namespace {

constexpr int kWidth = 537, kHeight = 297;

// What the owner's own window procedure saw.
struct OwnerLog {
  int appMessages = 0;
  int posChanged = 0;
  HWND shadow = nullptr;
  RECT shadowDuringPosChanged{};  // where the shadow was while the owner handled it
};
OwnerLog g_log;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++g_log.appMessages;
  if (message == WM_WINDOWPOSCHANGED) {
    ++g_log.posChanged;
    if (g_log.shadow) GetWindowRect(g_log.shadow, &g_log.shadowDuringPosChanged);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterOwnerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"ShadowTestOwner";
  RegisterClassExW(&wc);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps messages until `condition` holds, for at most 10 seconds.
bool WaitFor(const std::function<bool()>& condition) {
  const ULONGLONG end = GetTickCount64() + 10000;
  while (true) {
    if (condition()) return true;
    Pump();
    if (GetTickCount64() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

RECT Rect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

std::string ZOrder() {
  std::string out;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    char name[64] = {}, cls[64] = {};
    GetWindowTextA(w, name, 64);
    GetClassNameA(w, cls, 64);
    out += std::string("\n  ") + cls + " '" + name + "' " + (IsWindowVisible(w) ? "visible" : "hidden");
  }
  return out;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Where the shadow of an owner at `owner` belongs.
RECT ShadowRectFor(const RECT& owner) {
  return {owner.left - 13, owner.top - 13, owner.right + 19, owner.bottom + 19};
}

// The picture the shadow must show for an owner of this size and region.
ShadowPixels ExpectedPicture(int width, int height, std::vector<PixelRect> region = {}) {
  ShadowPixels p;
  p.Resize(ShadowBitmapExtent(width), ShadowBitmapExtent(height));
  DrawSilhouette(p, width, height, region);
  BlurShadow(p);
  PremultiplyShadow(p);
  return p;
}

bool SamePicture(const ShadowPixels& a, const ShadowPixels& b) {
  return a.width() == b.width() && a.height() == b.height() &&
         std::equal(a.bytes().begin(), a.bytes().end(), b.bytes().begin());
}

class ShadowWindow : public testing::Test {
 protected:
  void SetUp() override {
    RegisterOwnerClass();
    g_log = {};
    // The application's hidden top-level window owns both windows.
    app_.reset(CreateWindowExW(0, L"ShadowTestOwner", L"app", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(app_);
    form_.reset(CreateWindowExW(0, L"ShadowTestOwner", L"form", WS_POPUP, 100, 80, kWidth, kHeight, app_.get(),
                                nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(form_);
    ownProc_ = GetWindowLongPtrW(form(), GWLP_WNDPROC);
  }

  void TearDown() override {
    shadow_.reset();
    form_.reset();
    app_.reset();
  }

  HWND form() const { return form_.get(); }

  // A shadow attached to the form and switched on, then the form shown: the
  // order of the installer's start-up.
  TFormShadow& Shadow(bool showForm = true) {
    shadow_ = std::make_unique<TFormShadow>(app_.get());
    shadow_->Attach(form());
    shadow_->SetActive(true);
    g_log.shadow = shadow_->Handle();
    if (showForm) ShowForm();
    return *shadow_;
  }

  void ShowForm() { ShowWindow(form(), SW_SHOWNORMAL); }

  // The shadow is visible where it belongs and directly below the form.
  //
  // Checked right after the change, before messages are pumped again: the
  // shadow acts synchronously, inside the form's own position messages.
  // Later, under Wine on Xvfb, the X server reports the shadow's
  // per-pixel-alpha window exposed also where the form covers it (such
  // windows are drawn off-screen where the Composite extension exists), and
  // Wine's X11 driver answers an expose by raising the exposed window above
  // the windows it overlaps in the Windows Z-order. X keeps the right
  // stacking, so the screen is right, and the form's next position change
  // puts the shadow back below it.
  void ExpectFollowing(const char* when) {
    SCOPED_TRACE(when);
    const HWND shadow = shadow_->Handle();
    ASSERT_TRUE(shadow);
    const RECT want = ShadowRectFor(Rect(form()));
    EXPECT_TRUE(SameRect(Rect(shadow), want)) << "shadow at " << Describe(Rect(shadow)) << ", want " << Describe(want);
    EXPECT_TRUE(IsWindowVisible(shadow));
    EXPECT_EQ(GetWindow(form(), GW_HWNDNEXT), shadow) << "not directly below the form" << ZOrder();
    EXPECT_EQ(shadow_->Bitmap().width(), want.right - want.left);
    EXPECT_EQ(shadow_->Bitmap().height(), want.bottom - want.top);
  }

  win::UniqueWindow app_, form_;
  std::unique_ptr<TFormShadow> shadow_;
  LONG_PTR ownProc_ = 0;
};

TEST_F(ShadowWindow, SwitchedOnItDrawsTheDesignedPictureAroundTheForm) {
  TFormShadow& shadow = Shadow();
  ExpectFollowing("after SetActive(true)");
  EXPECT_TRUE(SamePicture(shadow.Bitmap(), ExpectedPicture(kWidth, kHeight)));

  wchar_t name[64] = {};
  GetClassNameW(shadow.Handle(), name, 64);
  EXPECT_STREQ(name, L"TFormShadow");
  EXPECT_EQ(GetWindow(shadow.Handle(), GW_OWNER), app_.get());
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(GetWindowLongW(shadow.Handle(), GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS), static_cast<LONG>(WS_POPUP));
  EXPECT_EQ(GetWindowLongW(shadow.Handle(), GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE),
            WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE);
  EXPECT_EQ(GetClassLongW(shadow.Handle(), GCL_STYLE), CS_OWNDC | CS_DBLCLKS);
}

TEST_F(ShadowWindow, MovingTheFormMovesTheShadowAfterTheFormsOwnHandling) {
  Shadow();
  struct Move {
    int x, y;
  };
  for (const Move m : {Move{0, 0}, Move{250, 170}, Move{-40, 500}}) {
    const RECT before = Rect(shadow_->Handle());
    SetWindowPos(form(), nullptr, m.x, m.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectFollowing(("moved to " + std::to_string(m.x) + ", " + std::to_string(m.y)).c_str());
    EXPECT_EQ(Rect(shadow_->Handle()).left, m.x - 13);
    EXPECT_EQ(Rect(shadow_->Handle()).top, m.y - 13);
    EXPECT_TRUE(SameRect(g_log.shadowDuringPosChanged, before))
        << "the shadow moved before the form had handled its move";
  }
}

TEST_F(ShadowWindow, StaysDirectlyBelowWhenTheFormIsRaised) {
  Shadow();
  win::UniqueWindow other(CreateWindowExW(0, L"ShadowTestOwner", L"other", WS_POPUP | WS_VISIBLE, 50, 50, 200, 200,
                                          app_.get(), nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(other);
  SetWindowPos(other.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(form(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ExpectFollowing("after raising the form");
}

TEST_F(ShadowWindow, ResizingTheFormRedrawsAtTheNewSize) {
  TFormShadow& shadow = Shadow();
  SetWindowPos(form(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectFollowing("after resizing to 300 x 200");
  EXPECT_EQ(Rect(shadow.Handle()).right - Rect(shadow.Handle()).left, 332);
  EXPECT_TRUE(SamePicture(shadow.Bitmap(), ExpectedPicture(300, 200)));
}

TEST_F(ShadowWindow, RedrawFollowsAComplexRegionOnly) {
  struct Case {
    const char* what;
    std::function<HRGN()> region;
    std::vector<PixelRect> silhouette;  // what the picture must be made of
  };
  const Case cases[] = {
      {"a plain rectangle counts as no region", [] { return CreateRectRgn(10, 10, 100, 100); }, {}},
      {"an L shape",
       [] {
         HRGN top = CreateRectRgn(0, 0, kWidth, 100);
         HRGN bottom = CreateRectRgn(0, 100, 300, kHeight);
         CombineRgn(top, top, bottom, RGN_OR);
         DeleteObject(bottom);
         return top;
       },
       {{0, 0, kWidth, 100}, {0, 100, 300, kHeight}}},
  };
  TFormShadow& shadow = Shadow();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetWindowRgn(form(), c.region(), TRUE);
    // A new size redraws the picture; the old one comes back for the check.
    SetWindowPos(form(), nullptr, 0, 0, kWidth + 1, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(form(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SamePicture(shadow.Bitmap(), ExpectedPicture(kWidth, kHeight, c.silhouette)));
  }
}

TEST_F(ShadowWindow, MinimisedOrMaximisedFormHidesTheShadow) {
  TFormShadow& shadow = Shadow();
  for (const int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
    SCOPED_TRACE(state == SW_MINIMIZE ? "minimised" : "maximised");
    ShowWindow(form(), state);
    EXPECT_TRUE(WaitFor([&] { return state == SW_MINIMIZE ? IsIconic(form()) : IsZoomed(form()); }));
    EXPECT_FALSE(IsWindowVisible(shadow.Handle()));
    // Not redrawn for the maximised size (a minimised form may be redrawn at
    // its icon's size, unseen).
    if (state == SW_MAXIMIZE) {
      EXPECT_EQ(shadow.Bitmap().width(), kWidth + 32);
    }
    ShowWindow(form(), SW_RESTORE);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(form()) && !IsZoomed(form()); }));
    ExpectFollowing("restored");
  }
}

TEST_F(ShadowWindow, FollowsTheFormsVisibility) {
  TFormShadow& shadow = Shadow();
  ShowWindow(form(), SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(shadow.Handle()));
  ShowWindow(form(), SW_SHOWNOACTIVATE);
  ExpectFollowing("shown again");

  // Switched on while the form is hidden: it waits for the form.
  shadow_.reset();
  ShowWindow(form(), SW_HIDE);
  TFormShadow& late = Shadow(/*showForm=*/false);
  ASSERT_TRUE(late.Handle());
  EXPECT_FALSE(IsWindowVisible(late.Handle()));
  ShowForm();
  ExpectFollowing("form shown after the shadow was switched on");
}

TEST_F(ShadowWindow, SetActiveTakesEffectAtOnceAndOnlyOnAChange) {
  TFormShadow& shadow = Shadow();
  ASSERT_TRUE(IsWindowVisible(shadow.Handle()));
  shadow.SetActive(false);
  EXPECT_FALSE(IsWindowVisible(shadow.Handle())) << "not hidden at once";

  const int posChanged = g_log.posChanged;
  shadow.SetActive(false);
  EXPECT_EQ(g_log.posChanged, posChanged) << "setting the current value refreshed the form";

  shadow.SetActive(true);
  EXPECT_TRUE(IsWindowVisible(shadow.Handle())) << "not shown at once";
}

TEST_F(ShadowWindow, AttachingAndDetachingHandsTheFormsHandlingBack) {
  TFormShadow& shadow = Shadow();
  EXPECT_NE(GetWindowLongPtrW(form(), GWLP_WNDPROC), ownProc_);

  // Every message still reaches the form's own handling.
  SendMessageW(form(), WM_APP, 0, 0);
  EXPECT_EQ(g_log.appMessages, 1);

  const int posChanged = g_log.posChanged;
  shadow.Attach(form());
  EXPECT_EQ(g_log.posChanged, posChanged) << "attaching to the same form did something";

  shadow.Attach(nullptr);
  EXPECT_EQ(shadow.OwnerForm(), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(form(), GWLP_WNDPROC), ownProc_);
  EXPECT_FALSE(IsWindowVisible(shadow.Handle())) << "a detached shadow stays on screen";
  const RECT parked = Rect(shadow.Handle());
  SetWindowPos(form(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(SameRect(Rect(shadow.Handle()), parked)) << "a detached shadow still follows";
  SendMessageW(form(), WM_APP, 0, 0);
  EXPECT_EQ(g_log.appMessages, 2);

  shadow.Attach(form());
  ExpectFollowing("attached again");

  shadow_.reset();
  EXPECT_EQ(GetWindowLongPtrW(form(), GWLP_WNDPROC), ownProc_) << "destruction kept the form subclassed";
}

TEST_F(ShadowWindow, DestroyedFormLeavesAHiddenDetachedShadow) {
  TFormShadow& shadow = Shadow();
  form_.reset();
  EXPECT_EQ(shadow.OwnerForm(), nullptr);
  EXPECT_FALSE(IsWindowVisible(shadow.Handle()));
  shadow.SetActive(false);  // nothing to refresh, nothing to crash
}

TEST_F(ShadowWindow, HitTestsPassThrough) {
  TFormShadow& shadow = Shadow();
  const RECT s = Rect(shadow.Handle());
  // Below the form, where the shadow is at its densest, and over the form.
  const POINT points[] = {{(s.left + s.right) / 2, s.bottom - 16}, {(s.left + s.right) / 2, (s.top + s.bottom) / 2}};
  for (const POINT p : points) {
    EXPECT_EQ(SendMessageW(shadow.Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTTRANSPARENT);
    EXPECT_NE(WindowFromPoint(p), shadow.Handle()) << "at " << p.x << ", " << p.y;
  }
}

TEST_F(ShadowWindow, StartUpWiringDrawsBeforeTheRoundedOutline) {
  shadow_ = DecorateMainWindow(app_.get(), form());
  g_log.shadow = shadow_->Handle();
  ShowForm();
  EXPECT_TRUE(shadow_->Active());
  EXPECT_EQ(shadow_->OwnerForm(), form());
  ExpectFollowing("after the start-up wiring");
  // Drawn before the outline existed: the whole window's silhouette.
  EXPECT_TRUE(SamePicture(shadow_->Bitmap(), ExpectedPicture(kWidth, kHeight)));

  win::UniqueGdiObject region(CreateRectRgn(0, 0, 1, 1));
  const auto rgn = static_cast<HRGN>(region.get());
  ASSERT_EQ(GetWindowRgn(form(), rgn), COMPLEXREGION);
  // The system's own rounded rectangle for the window's outer size...
  win::UniqueGdiObject rounded(CreateRoundRectRgn(1, 1, kWidth - 1, kHeight - 1, 8, 8));
  win::UniqueGdiObject difference(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(static_cast<HRGN>(difference.get()), rgn, static_cast<HRGN>(rounded.get()), RGN_XOR),
            NULLREGION);
  // ...which cuts the outer pixels off and rounds the corners.
  struct Probe {
    int x, y;
    bool inside;
  };
  const Probe probes[] = {
      {268, 148, true}, {1, 148, true},  {0, 148, false}, {kWidth - 1, 148, false}, {268, 1, true},
      {268, 0, false},  {268, kHeight - 1, false},        {1, 1, false},            {kWidth - 3, kHeight - 3, false},
  };
  for (const Probe& p : probes) EXPECT_EQ(PtInRegion(rgn, p.x, p.y) != 0, p.inside) << p.x << ", " << p.y;
}

}  // namespace
}  // namespace setup
