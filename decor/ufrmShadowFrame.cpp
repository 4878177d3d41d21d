#include "decor/ufrmShadowFrame.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "win/handles.h"

namespace setup {
namespace {

constexpr wchar_t kClassName[] = L"TFormShadow";

constexpr UINT kHideFlags = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
constexpr UINT kShowFlags = SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;

bool IsNormal(HWND window) { return !IsIconic(window) && !IsZoomed(window); }

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// The rectangles of the window's region in window coordinates; none unless
// the region is complex (a plain rectangle counts as no region).
std::vector<PixelRect> RegionRects(HWND window) {
  win::UniqueGdiObject region(CreateRectRgn(0, 0, 1, 1));
  const auto rgn = static_cast<HRGN>(region.get());
  if (!rgn || GetWindowRgn(window, rgn) != COMPLEXREGION) return {};
  const DWORD size = GetRegionData(rgn, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER)) return {};
  std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));  // RECT-aligned
  auto* data = reinterpret_cast<RGNDATA*>(storage.data());
  if (GetRegionData(rgn, size, data) == 0) return {};
  const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
  std::vector<PixelRect> result;
  result.reserve(data->rdh.nCount);
  for (DWORD i = 0; i < data->rdh.nCount; ++i)
    result.push_back({rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
  return result;
}

}  // namespace

TFormShadow::TFormShadow(HWND ownerOfShadow) : ownerOfShadow_(ownerOfShadow) {}

TFormShadow::~TFormShadow() {
  Attach(nullptr);
  if (handle_) DestroyWindow(handle_);
}

void TFormShadow::Attach(HWND form) {
  if (form == ownerForm_) return;
  const auto id = reinterpret_cast<UINT_PTR>(this);
  if (ownerForm_ && subclassed_) {
    RemoveWindowSubclass(ownerForm_, OwnerSubclassProc, id);
    subclassed_ = false;
  }
  ownerForm_ = form;
  if (form)
    subclassed_ = SetWindowSubclass(form, OwnerSubclassProc, id, reinterpret_cast<DWORD_PTR>(this));
  else
    Hide();  // a detached shadow follows nothing, so it shows nowhere
  dirty_ = true;
  RefreshOwner();
}

void TFormShadow::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  RefreshOwner();
}

void TFormShadow::RefreshOwner() {
  if (!ownerForm_ || !IsWindow(ownerForm_)) return;
  // Sends WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED to the owner form
  // before it returns; they come back through OwnerWndProc.
  SetWindowPos(ownerForm_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CALLBACK TFormShadow::OwnerSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<TFormShadow*>(self)->OwnerWndProc(window, message, wParam, lParam);
}

LRESULT TFormShadow::OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The owner's own handling comes first, so that its recorded position and
  // size are up to date when the shadow follows them.
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (window != ownerForm_) return result;  // detached while the owner handled it
  try {
    switch (message) {
      case WM_WINDOWPOSCHANGING:
        OwnerPosChanging(*reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
      case WM_WINDOWPOSCHANGED:
        OwnerPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
      case WM_NCDESTROY:
        OwnerDestroyed();
        break;
    }
  } catch (...) {
    // Nothing may unwind through the system's frames. A shadow that cannot
    // be drawn is not worth a report; the owner goes on working.
  }
  return result;
}

void TFormShadow::OwnerPosChanging(const WINDOWPOS& pos) {
  if (!handle_) return;
  if (!IsNormal(ownerForm_) || (pos.flags & SWP_HIDEWINDOW))
    SetWindowPos(handle_, ownerForm_, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TFormShadow::OwnerPosChanged(const WINDOWPOS& pos) {
  const RECT owner = WindowRect(ownerForm_);
  const int x = (pos.flags & SWP_NOMOVE) ? owner.left : pos.x;
  const int y = (pos.flags & SWP_NOMOVE) ? owner.top : pos.y;
  if (!IsZoomed(ownerForm_)) RebuildShadow();
  const HWND shadow = EnsureHandle();
  if (!shadow) return;
  SetWindowPos(shadow, ownerForm_, x - ShadowMargin + ShadowOffset, y - ShadowMargin + ShadowOffset,
               bitmap_.width(), bitmap_.height(), SWP_NOACTIVATE);
  const bool show = active_ && IsWindowVisible(ownerForm_) && IsNormal(ownerForm_);
  SetWindowPos(shadow, nullptr, 0, 0, 0, 0, show ? kShowFlags : kHideFlags);
}

void TFormShadow::OwnerDestroyed() {
  // The owner form goes first after all: forget it rather than keep a dead
  // handle that the system may hand to another window.
  RemoveWindowSubclass(ownerForm_, OwnerSubclassProc, reinterpret_cast<UINT_PTR>(this));
  subclassed_ = false;
  ownerForm_ = nullptr;
  Hide();
}

void TFormShadow::RebuildShadow() {
  if (!active_ || !ownerForm_ || !IsWindow(ownerForm_)) return;
  const RECT owner = WindowRect(ownerForm_);
  const int width = owner.right - owner.left, height = owner.bottom - owner.top;
  if (bitmap_.width() != ShadowBitmapExtent(width) || bitmap_.height() != ShadowBitmapExtent(height)) {
    dirty_ = true;
    bitmap_.Resize(ShadowBitmapExtent(width), ShadowBitmapExtent(height));
  }
  if (!dirty_) return;
  DrawSilhouette(bitmap_, width, height, RegionRects(ownerForm_));
  BlurShadow(bitmap_);
  PresentShadow();
  dirty_ = false;
}

void TFormShadow::PresentShadow() {
  PremultiplyShadow(bitmap_);
  const HWND shadow = EnsureHandle();
  if (!shadow || bitmap_.empty()) return;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = bitmap_.width();
  info.bmiHeader.biHeight = -bitmap_.height();  // rows from the top, as in the buffer
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  win::UniqueGdiObject dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !dib || !bits) return;
  std::memcpy(bits, bitmap_.bytes().data(), bitmap_.bytes().size());
  win::SelectGuard select(dc.get(), dib.get());

  SIZE size{bitmap_.width(), bitmap_.height()};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  // No new position: OwnerPosChanged places the window.
  UpdateLayeredWindow(shadow, nullptr, nullptr, &size, dc.get(), &source, 0, &blend, ULW_ALPHA);
}

HWND TFormShadow::EnsureHandle() {
  if (handle_) return handle_;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, kClassName, &wc)) {
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = ShadowWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
  }
  // WM_NCCREATE stores the handle in handle_.
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, 0, 0, 0, 0,
                  ownerOfShadow_, nullptr, instance, this);
  return handle_;
}

void TFormShadow::Hide() {
  if (handle_) SetWindowPos(handle_, nullptr, 0, 0, 0, 0, kHideFlags);
}

LRESULT CALLBACK TFormShadow::ShadowWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TFormShadow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      self = static_cast<TFormShadow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->handle_ = window;
      break;
    case WM_NCDESTROY:
      if (self) self->handle_ = nullptr;
      break;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks pass through, even over opaque parts
    case WM_ERASEBKGND:
      DefWindowProcW(window, message, wParam, lParam);
      return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ApplyRoundedOutline(HWND window) {
  const RECT r = WindowRect(window);
  const HRGN region = CreateRoundRectRgn(1, 1, r.right - r.left - 1, r.bottom - r.top - 1, 8, 8);
  // The system owns the region once SetWindowRgn succeeds.
  if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

std::unique_ptr<TFormShadow> DecorateMainWindow(HWND ownerOfShadow, HWND mainWindow) {
  auto shadow = std::make_unique<TFormShadow>(ownerOfShadow);
  shadow->Attach(mainWindow);
  shadow->SetActive(true);
  ApplyRoundedOutline(mainWindow);
  return shadow;
}

}  // namespace setup
