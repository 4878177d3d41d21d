#include "ui/label.h"

#include <shellapi.h>

#include "win/handles.h"
#include "win/text.h"

namespace ui {

void Label::Create(Control& parent, int id, const Rect& r, std::string_view text, bool wrap) {
  CreateLabel(parent, id, r, text, wrap, 0);
}

void Label::CreateLabel(Control& parent, int id, const Rect& r, std::string_view text, bool wrap, DWORD extraStyle) {
  wrap_ = wrap;
  // SS_LEFT breaks lines at the width, SS_LEFTNOWORDWRAP does not; texts
  // are shown as they are ('&' is no accelerator).
  const DWORD style = WS_VISIBLE | SS_NOPREFIX | (wrap ? SS_LEFT : SS_LEFTNOWORDWRAP) | extraStyle;
  CreateHandle(&parent, {.className = L"STATIC", .style = style, .rect = r, .id = id, .text = text});
  if (autoSize_) AdjustSize();
}

void Label::TextChanged() {
  if (autoSize_) AdjustSize();
}

void Label::FontChanged() {
  if (autoSize_) AdjustSize();
}

void Label::AdjustSize() {
  HWND hwnd = Handle();
  if (!hwnd) return;
  std::wstring text = win::WideFromGbk(Text());
  if (text.empty()) text = L" ";  // an empty label keeps one line's height
  Rect bounds = Bounds();
  RECT calc{0, 0, wrap_ ? bounds.width : 0, 0};
  HDC dc = GetDC(hwnd);
  {
    win::SelectGuard font(dc, FontHandle(EffectiveFont()));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (wrap_ ? DT_WORDBREAK : 0));
  }
  ReleaseDC(hwnd, dc);
  if (!wrap_) bounds.width = calc.right;
  bounds.height = calc.bottom;
  SetBounds(bounds);
}

void LinkLabel::Create(Control& parent, int id, const Rect& r, std::string_view text) {
  // SS_NOTIFY: the label takes the mouse and reports clicks.
  CreateLabel(parent, id, r, text, false, SS_NOTIFY);
  linkColor_ = current_ = EffectiveFont().color;
}

void LinkLabel::SetLinkColor(COLORREF c) {
  linkColor_ = c;
  SetCurrentColor(c);
}

void LinkLabel::SetCurrentColor(COLORREF c) {
  current_ = c;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void LinkLabel::Click() {
  if (!IsBlank(url_)) {
    if (OpenUrl) {
      OpenUrl(url_);
    } else {
      ShellExecuteW(nullptr, L"open", win::WideFromGbk(url_).c_str(), nullptr, nullptr, SW_SHOW);
    }
  }
  Label::Click();
}

LRESULT LinkLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_MOUSEMOVE:
      if (!hover_) {
        hover_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        SetCurrentColor(hoverColor_);
      }
      break;
    case WM_MOUSELEAVE:
      hover_ = false;
      SetCurrentColor(linkColor_);
      break;
    default:
      break;
  }
  return Label::WndProc(msg, wp, lp);
}

bool IsBlank(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 0x20) return false;
  }
  return true;
}

}  // namespace ui
