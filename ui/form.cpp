#include "ui/form.h"

#include <algorithm>

#include "ui/application.h"

namespace ui {

Form::~Form() { DestroyHandle(); }

void Form::CreateForm(const wchar_t* className, std::string_view caption, int clientWidth, int clientHeight) {
  RegisterOwnClass(className, CS_DBLCLKS);
  // WS_POPUP without border or caption: the client area is the window.
  CreateHandle(nullptr, {.className = className,
                         .ownClass = true,
                         .style = WS_POPUP | WS_CLIPCHILDREN,
                         .rect = {0, 0, clientWidth, clientHeight},
                         .text = caption});
}

void Form::SetVisible(bool visible) {
  HWND hwnd = Handle();
  if (!hwnd) return;
  if (!visible) {
    ShowWindow(hwnd, SW_HIDE);
    return;
  }
  if (!centred_) {
    const Rect r = Bounds();
    SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - r.width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - r.height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    centred_ = true;
  }
  if (IsWindowVisible(hwnd)) return;
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  ParentShown();
  if (!IsChild(hwnd, GetFocus())) SelectFirst();
}

void Form::Close() {
  if (Handle()) SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form::DestroyHandle() {
  if (!Handle()) return;
  if (Application* app = Application::Current()) {
    if (OnDestroy) app->Guard(OnDestroy);
    if (app->MainForm() == this) app->SetMainForm(nullptr);
  }
  DestroyWindow(Handle());
}

std::vector<HWND> Form::FocusOrder() const {
  std::vector<HWND> order;
  auto walk = [&order](const Control& c, auto& self) -> void {
    for (const Control* child : c.Children()) {
      HWND h = child->Handle();
      if (!h) continue;
      if ((GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h)) {
        order.push_back(h);
      }
      self(*child, self);
    }
  };
  walk(*this, walk);
  return order;
}

bool Form::SelectNext(bool backwards) {
  const std::vector<HWND> order = FocusOrder();
  if (order.empty()) return false;
  const auto at = std::find(order.begin(), order.end(), GetFocus());
  size_t next = 0;
  if (at == order.end()) {
    next = backwards ? order.size() - 1 : 0;
  } else {
    const size_t i = static_cast<size_t>(at - order.begin());
    next = backwards ? (i + order.size() - 1) % order.size() : (i + 1) % order.size();
  }
  SetFocus(order[next]);
  return true;
}

bool Form::SelectFirst() {
  const std::vector<HWND> order = FocusOrder();
  if (order.empty()) return false;
  SetFocus(order.front());
  return true;
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE: {
      bool canClose = true;
      if (OnCloseQuery) OnCloseQuery(canClose);
      if (canClose) {
        Application* app = Application::Current();
        if (app && app->MainForm() == this) {
          app->Terminate();
        } else {
          Hide();
        }
      }
      return 0;
    }
    case WM_ACTIVATE:
      // Remember the focused control across deactivation (a message box, an
      // other program) and give it back on return.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (IsChild(Handle(), focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
      } else {
        SelectFirst();
      }
      return 0;
    default:
      return Control::WndProc(msg, wp, lp);
  }
}

}  // namespace ui
