#include "ui/standard_controls.h"
#include "win/system_dll.h"

#include <commctrl.h>

#include <vector>

namespace ui {

void Panel::Create(Control& parent, int id, const Rect& r, COLORREF color) {
  color_ = color;
  RegisterOwnClass(L"TPanel");
  CreateHandle(&parent, {.className = L"TPanel",
                         .ownClass = true,
                         .style = WS_VISIBLE | WS_CLIPCHILDREN,
                         .rect = r,
                         .id = id});
}

void Panel::Paint(HDC dc) {
  RECT rc;
  GetClientRect(Handle(), &rc);
  DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
}

void Bevel::Create(Control& parent, int id, const Rect& r) {
  RegisterOwnClass(L"TBevel");
  CreateHandle(&parent, {.className = L"TBevel", .ownClass = true, .style = WS_VISIBLE, .rect = r, .id = id});
}

void Bevel::Paint(HDC dc) {
  RECT rc;
  GetClientRect(Handle(), &rc);
  // A lowered box: the shadow runs up the left edge and along the top, the
  // highlight down the right edge and back along the bottom.
  HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
  HBRUSH highlight = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
  const RECT left{rc.left, rc.top, rc.left + 1, rc.bottom};
  const RECT top{rc.left, rc.top, rc.right - 1, rc.top + 1};
  const RECT right{rc.right - 1, rc.top, rc.right, rc.bottom};
  const RECT bottom{rc.left + 1, rc.bottom - 1, rc.right, rc.bottom};
  FillRect(dc, &right, highlight);
  FillRect(dc, &bottom, highlight);
  FillRect(dc, &left, shadow);
  FillRect(dc, &top, shadow);
}

void Edit::Create(Control& parent, int id, const Rect& r, std::string_view text) {
  CreateHandle(&parent, {.className = L"EDIT",
                         .style = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL,
                         .rect = r,
                         .id = id,
                         .text = text});
}

LRESULT Edit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETFOCUS && imeLanguage_ != 0) {
    const int n = GetKeyboardLayoutList(0, nullptr);
    std::vector<HKL> layouts(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0) GetKeyboardLayoutList(n, layouts.data());
    for (HKL layout : layouts) {
      const auto value = reinterpret_cast<UINT_PTR>(layout);
      // An input method's layout id is 0xE0xx in its high word.
      if (LOWORD(value) == imeLanguage_ && (HIWORD(value) & 0xF000) == 0xE000) {
        previousLayout_ = ActivateKeyboardLayout(layout, 0);
        break;
      }
    }
  } else if (msg == WM_KILLFOCUS && previousLayout_) {
    ActivateKeyboardLayout(previousLayout_, 0);
    previousLayout_ = nullptr;
  }
  return Control::WndProc(msg, wp, lp);
}

void CheckBox::Create(Control& parent, int id, const Rect& r, std::string_view text, bool checked) {
  CreateHandle(&parent, {.className = L"BUTTON",
                         .style = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                         .rect = r,
                         .id = id,
                         .text = text});
  // The classic look: a sunken 3-D box, and the text in the font's colour
  // (a themed box would ignore it). A class list that names no theme class
  // turns theming off; Wine cannot store an empty one, so it is a blank.
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static const auto setWindowTheme = win::SystemFunction<SetWindowThemeFn>(L"uxtheme.dll", "SetWindowTheme");
  if (setWindowTheme) setWindowTheme(Handle(), L" ", L" ");
  SetChecked(checked);
}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ProgressBar::Create(Control& parent, int id, const Rect& r) {
  CreateHandle(&parent, {.className = PROGRESS_CLASSW, .style = WS_VISIBLE | PBS_SMOOTH, .rect = r, .id = id});
  SendMessageW(Handle(), PBM_SETRANGE32, 0, 100);
  SendMessageW(Handle(), PBM_SETSTEP, 1, 0);
  SendMessageW(Handle(), PBM_SETPOS, 0, 0);
}

void ProgressBar::SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0); }

int ProgressBar::Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }

void Button::Create(Control& parent, int id, const Rect& r, std::string_view text) {
  CreateHandle(&parent, {.className = L"BUTTON",
                         .style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                         .rect = r,
                         .id = id,
                         .text = text});
}

LRESULT Button::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN && wp == VK_RETURN) {
    Click();
    return 0;
  }
  return Control::WndProc(msg, wp, lp);
}

}  // namespace ui
