#include "ui/control.h"

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "ui/application.h"
#include "win/system_error.h"
#include "win/text.h"

namespace ui {
namespace {

constexpr wchar_t kObjectProperty[] = L"ui.Control";

// The window default of the layout: "宋体" 9 pt gray.
const Font& DefaultFont() {
  static const Font font;
  return font;
}

// Ends the paint cycle on every path, also when Paint throws.
class PaintCycle {
 public:
  explicit PaintCycle(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  PaintCycle(const PaintCycle&) = delete;
  PaintCycle& operator=(const PaintCycle&) = delete;
  ~PaintCycle() { EndPaint(hwnd_, &ps_); }
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace

Control::~Control() {
  for (Control* child : children_) child->parent_ = nullptr;
  if (parent_) std::erase(parent_->children_, this);
  if (hwnd_) {
    HWND hwnd = hwnd_;
    Unbind();
    DestroyWindow(hwnd);
  }
}

Control* Control::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<Control*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void Control::RegisterOwnClass(const wchar_t* name, UINT classStyle) {
  static std::set<std::wstring> registered;
  if (registered.contains(name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = classStyle;
  wc.lpfnWndProc = OwnClassProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    win::ThrowSystemError("cannot register a window class");
  }
  registered.insert(name);
}

void Control::CreateHandle(Control* parent, const CreateParams& p) {
  if (hwnd_) throw std::logic_error("ui: a control's window was created twice");
  parent_ = parent;
  if (parent) parent->children_.push_back(this);
  ownClass_ = p.ownClass;
  HWND parentWindow = parent ? parent->hwnd_ : (Application::Current() ? Application::Current()->Handle() : nullptr);
  const DWORD style = p.style | (parent ? WS_CHILD | WS_CLIPSIBLINGS : 0);
  HMENU id = parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)) : nullptr;
  HWND hwnd = CreateWindowExW(p.exStyle, p.className, win::WideFromGbk(p.text).c_str(), style, p.rect.left,
                              p.rect.top, p.rect.width, p.rect.height, parentWindow, id,
                              GetModuleHandleW(nullptr), ownClass_ ? this : nullptr);
  if (!hwnd) {
    const DWORD error = GetLastError();
    if (parent) std::erase(parent->children_, this);
    parent_ = nullptr;
    win::ThrowSystemError("cannot create a window", error);
  }
  if (!ownClass_) {
    // A window of a system class is subclassed by replacing its procedure,
    // the object kept in GWLP_USERDATA, which those classes leave to the
    // application. (SetWindowSubclass would look its data up in a window
    // property at every message: a round trip to the server under Wine.)
    Bind(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    baseProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(EffectiveFont())), FALSE);
  // A new child goes to the bottom of its siblings; the layout wants each
  // control above those created before it.
  if (parent) SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::Bind(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropW(hwnd, kObjectProperty, this);
}

void Control::Unbind() {
  if (!hwnd_) return;
  RemovePropW(hwnd_, kObjectProperty);
  if (!ownClass_) SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
}

LRESULT CALLBACK Control::OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->Bind(hwnd);
  } else {
    self = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    self->Unbind();
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->GuardedWndProc(msg, wp, lp);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) {
    const WNDPROC base = self->baseProc_;
    self->Unbind();
    return CallWindowProcW(base, hwnd, msg, wp, lp);
  }
  return self->GuardedWndProc(msg, wp, lp);
}

LRESULT Control::GuardedWndProc(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  try {
    return WndProc(msg, wp, lp);
  } catch (...) {
    // Nothing may unwind through the system's frames: report and go on.
    if (Application* app = Application::Current()) app->ShowCurrentException();
  }
  // A paint that failed must not come back at once.
  if (msg == WM_PAINT && IsWindow(hwnd)) ValidateRect(hwnd, nullptr);
  return 0;
}

LRESULT Control::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return ownClass_ ? DefWindowProcW(hwnd_, msg, wp, lp) : CallWindowProcW(baseProc_, hwnd_, msg, wp, lp);
}

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (ownClass_) {
    bool handled = false;
    const LRESULT result = ContainerMessage(msg, wp, lp, handled);
    if (handled) return result;
  }
  return DefaultProc(msg, wp, lp);
}

LRESULT Control::ContainerMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      child = reinterpret_cast<HWND>(lp);
      break;
    case WM_DRAWITEM:
      child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
      break;
    case WM_NOTIFY:
      child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
      break;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd_, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, SolidBrush(BackgroundColor()));
      handled = true;
      return 1;
    }
    case WM_PAINT: {
      PaintCycle cycle(hwnd_);
      Paint(cycle.dc());
      handled = true;
      return 0;
    }
    default:
      return 0;
  }
  // The child is looked up among our own children rather than through its
  // window property, which under Wine costs a round trip to the server at
  // every paint of every label.
  LRESULT result = 0;
  const auto target = std::find_if(children_.begin(), children_.end(), [&](Control* c) { return c->hwnd_ == child; });
  if (child && target != children_.end()) handled = (*target)->OnReflected(msg, wp, lp, result);
  return result;
}

bool Control::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, TextColor());
      SetBkColor(dc, BackgroundColor());
      result = reinterpret_cast<LRESULT>(SolidBrush(BackgroundColor()));
      return true;
    }
    case WM_COMMAND:
      // BN_CLICKED of a button, STN_CLICKED of a label that notifies.
      if (HIWORD(wp) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void Control::SetText(std::string_view gbk) {
  if (!hwnd_) throw std::logic_error("ui: SetText before the window exists");
  SetWindowTextW(hwnd_, win::WideFromGbk(gbk).c_str());
  TextChanged();
}

std::string Control::Text() const {
  if (!hwnd_) return {};
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  return win::GbkFromWide(text);
}

void Control::SetVisible(bool visible) {
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::Visible() const {
  return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::Enable(bool enabled) {
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

bool Control::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

Rect Control::Bounds() const {
  if (!hwnd_) return {};
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) {
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  }
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Control::SetBounds(const Rect& r) {
  // Unchanged bounds move nothing. Skipping them matters for the file name
  // that changes per file during the installation: under Wine a
  // SetWindowPos costs round trips to the server even when nothing moves.
  if (hwnd_ && r != Bounds()) {
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Control::SetTop(int top) {
  Rect r = Bounds();
  r.top = top;
  SetBounds(r);
}

void Control::SetWidth(int width) {
  Rect r = Bounds();
  r.width = width;
  SetBounds(r);
}

void Control::SetHeight(int height) {
  Rect r = Bounds();
  r.height = height;
  SetBounds(r);
}

void Control::Repaint() {
  if (hwnd_) {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

void Control::Click() {
  if (OnClick) OnClick();
}

void Control::SetFont(const Font& font) {
  font_ = font;
  if (!hwnd_) return;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font)), TRUE);
  FontChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

const Font& Control::EffectiveFont() const {
  if (font_) return *font_;
  return parent_ ? parent_->EffectiveFont() : DefaultFont();
}

COLORREF Control::BackgroundColor() const {
  return parent_ ? parent_->BackgroundColor() : GetSysColor(COLOR_WINDOW);
}

void Control::ParentShown() {
  for (Control* child : children_) {
    if (child->Visible()) child->ParentShown();
  }
}

}  // namespace ui
