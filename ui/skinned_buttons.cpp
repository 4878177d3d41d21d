#include "ui/skinned_buttons.h"

#include "ui/image_loading.h"
#include "ui/picture.h"
#include "win/text.h"
#include "win/system_dll.h"

namespace ui {
namespace {

struct Face {
  COLORREF topFrom, topTo, bottomFrom, bottomTo, rim, text;
};

// The "BlueGlass" faces: the upper half a bright sheen, the lower half the
// pale blue body, as glass buttons are drawn.
constexpr Face kNormal{RGB(255, 255, 255), RGB(234, 242, 253), RGB(210, 227, 250), RGB(230, 240, 253),
                       RGB(105, 138, 192), 0};
constexpr Face kHot{RGB(255, 255, 255), RGB(226, 240, 255), RGB(190, 219, 255), RGB(222, 237, 255),
                    RGB(80, 126, 200), 0};
constexpr Face kPressed{RGB(205, 222, 247), RGB(190, 211, 243), RGB(166, 196, 240), RGB(196, 218, 248),
                        RGB(72, 108, 170), 0};
constexpr Face kDisabled{RGB(250, 250, 250), RGB(242, 242, 242), RGB(230, 230, 230), RGB(240, 240, 240),
                         RGB(176, 176, 176), RGB(160, 160, 160)};

void VerticalGradient(HDC dc, int left, int top, int right, int bottom, COLORREF from, COLORREF to) {
  TRIVERTEX v[2] = {
      {left, top, static_cast<COLOR16>(GetRValue(from) << 8), static_cast<COLOR16>(GetGValue(from) << 8),
       static_cast<COLOR16>(GetBValue(from) << 8), 0},
      {right, bottom, static_cast<COLOR16>(GetRValue(to) << 8), static_cast<COLOR16>(GetGValue(to) << 8),
       static_cast<COLOR16>(GetBValue(to) << 8), 0},
  };
  GRADIENT_RECT r{0, 1};
  using GradientFillFn = BOOL(WINAPI*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);
  static const auto gradientFill = win::SystemFunction<GradientFillFn>(L"msimg32.dll", "GradientFill");
  if (gradientFill) gradientFill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace

void OwnerDrawnButton::Create(Control& parent, int id, const Rect& r, std::string_view text) {
  CreateHandle(&parent, {.className = L"BUTTON",
                         .style = WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                         .rect = r,
                         .id = id,
                         .text = text});
}

LRESULT OwnerDrawnButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports a double click instead of a click;
      // take it as a press, as a standard button does.
      return DefaultProc(WM_LBUTTONDOWN, wp, lp);
    case WM_KEYDOWN:
      if (wp == VK_RETURN) {
        Click();
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (!hover_) {
        hover_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        InvalidateRect(Handle(), nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hover_ = false;
      InvalidateRect(Handle(), nullptr, FALSE);
      break;
    case WM_ERASEBKGND:
      return 1;  // Draw covers every pixel
    default:
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

bool OwnerDrawnButton::OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_DRAWITEM) return Control::OnReflected(msg, wp, lp, result);
  const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
  const RECT& rc = item.rcItem;
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  // Drawn off screen, then copied at once: no flicker.
  win::UniqueMemoryDc buffer(CreateCompatibleDC(item.hDC));
  win::UniqueGdiObject bitmap(CreateCompatibleBitmap(item.hDC, width, height));
  {
    win::SelectGuard select(buffer.get(), bitmap.get());
    const RECT local{0, 0, width, height};
    FillRect(buffer.get(), &local, SolidBrush(BackgroundColor()));
    Draw(buffer.get(), local, item.itemState);
    BitBlt(item.hDC, rc.left, rc.top, width, height, buffer.get(), 0, 0, SRCCOPY);
  }
  result = TRUE;
  return true;
}

void SkinButton::Draw(HDC dc, const RECT& rc, UINT state) {
  const bool disabled = state & ODS_DISABLED;
  const bool pressed = state & ODS_SELECTED;
  const Face& face = disabled ? kDisabled : pressed ? kPressed : Hover() ? kHot : kNormal;
  const int w = rc.right, h = rc.bottom, middle = h / 2;

  win::UniqueGdiObject shape(CreateRoundRectRgn(0, 0, w + 1, h + 1, 7, 7));
  SelectClipRgn(dc, static_cast<HRGN>(shape.get()));
  VerticalGradient(dc, 0, 0, w, middle, face.topFrom, face.topTo);
  VerticalGradient(dc, 0, middle, w, h, face.bottomFrom, face.bottomTo);
  SelectClipRgn(dc, nullptr);
  // A thin inner highlight along the top gives the glass its edge.
  if (!disabled && !pressed) {
    const RECT shine{3, 1, w - 3, 2};
    FillRect(dc, &shine, SolidBrush(RGB(255, 255, 255)));
  }
  win::UniqueGdiObject rim(CreateSolidBrush(face.rim));
  FrameRgn(dc, static_cast<HRGN>(shape.get()), static_cast<HBRUSH>(rim.get()), 1, 1);

  const std::wstring text = win::WideFromGbk(Text());
  RECT textRect = rc;
  if (pressed) OffsetRect(&textRect, 1, 1);
  win::SelectGuard font(dc, FontHandle(EffectiveFont()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? face.text : EffectiveFont().color);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if ((state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT)) {
    RECT focus = rc;
    InflateRect(&focus, -3, -3);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawFocusRect(dc, &focus);
  }
}

void PictureButton::SetPictures(win::UniqueGdiObject normal, win::UniqueGdiObject hover) {
  normalPicture_ = std::move(normal);
  hoverPicture_ = std::move(hover);
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT PictureButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return OwnerDrawnButton::WndProc(msg, wp, lp);
}

void PictureButton::Draw(HDC dc, const RECT& rc, UINT state) {
  HGDIOBJ picture = Hover() && hoverPicture_ ? hoverPicture_.get() : normalPicture_.get();
  const SIZE size = BitmapSize(picture);
  const int shift = (state & ODS_SELECTED) ? 1 : 0;
  DrawBitmap(dc, picture, (rc.right - size.cx) / 2 + shift, (rc.bottom - size.cy) / 2 + shift);
}

}  // namespace ui
