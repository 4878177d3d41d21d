#include "ui/application.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

#include "assets/resource_ids.h"
#include "ui/form.h"
#include "win/system_error.h"
#include "win/text.h"

namespace ui {
namespace {

constexpr wchar_t kWindowClass[] = L"TApplication";
// Posted to the hidden window: hand the activation on to the main window.
constexpr UINT kActivateMainForm = WM_APP + 1;

// The executable's file name without folder and extension: the title until
// the program sets one.
std::wstring ExecutableTitle() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  if (const size_t dot = name.rfind(L'.'); dot != std::wstring::npos) name.resize(dot);
  return name;
}

BOOL CALLBACK CollectTaskWindow(HWND hwnd, LPARAM list) noexcept {
  try {
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

// Disables the thread's visible top-level windows (but `keep`) for its
// lifetime, then enables them again and gives the activation back to the
// window that had it.
class TaskWindowsDisabled {
 public:
  explicit TaskWindowsDisabled(HWND keep) : active_(GetActiveWindow()) {
    EnumThreadWindows(GetCurrentThreadId(), CollectTaskWindow, reinterpret_cast<LPARAM>(&windows_));
    std::erase(windows_, keep);
    for (HWND hwnd : windows_) EnableWindow(hwnd, FALSE);
  }
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;
  ~TaskWindowsDisabled() {
    for (HWND hwnd : windows_) {
      if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    if (active_ && IsWindow(active_) && IsWindowVisible(active_)) SetActiveWindow(active_);
  }

 private:
  HWND active_;
  std::vector<HWND> windows_;
};

}  // namespace

Application* Application::current_ = nullptr;

Application& App() {
  if (!Application::Current()) throw std::logic_error("ui: no application object");
  return *Application::Current();
}

Application::Application() : title_(ExecutableTitle()) {
  if (current_) throw std::logic_error("ui: a second application object");
  current_ = this;
}

Application::~Application() {
  window_.reset();
  com_.reset();
  current_ = nullptr;
}

void Application::Initialize() {
  if (!com_) com_.emplace();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  if (window_) return;

  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SETUP));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    win::ThrowSystemError("cannot register the application window class");
  }
  // Zero size at the centre of the screen: it exists, carries the taskbar
  // button and the title, and shows nothing.
  HWND hwnd = CreateWindowExW(0, kWindowClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                              nullptr, nullptr, instance, this);
  if (!hwnd) win::ThrowSystemError("cannot create the application window");
  window_.reset(hwnd);
}

void Application::SetTitle(std::string_view gbk) {
  title_ = win::WideFromGbk(gbk);
  if (window_) SetWindowTextW(window_.get(), title_.c_str());
}

std::string Application::Title() const { return win::GbkFromWide(title_); }

int Application::MessageBox(std::string_view gbkText, std::string_view gbkCaption, UINT flags) {
  return MessageBoxWide(win::WideFromGbk(gbkText), win::WideFromGbk(gbkCaption), flags);
}

int Application::MessageBoxWide(const std::wstring& text, const std::wstring& caption, UINT flags) {
  TaskWindowsDisabled modal(window_.get());
  if (messageBoxHook_) return messageBoxHook_(text, caption, flags);
  return ::MessageBoxW(window_.get(), text.c_str(), caption.c_str(), flags);
}

void Application::Terminate() {
  terminated_ = true;
  // Wakes the loop if it waits; WM_NULL ends no modal loop on its way.
  if (window_) PostMessageW(window_.get(), WM_NULL, 0, 0);
}

void Application::ShowException(const std::exception& e) noexcept {
  try {
    MessageBoxWide(win::WideFromUtf8(e.what()), title_, MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing is left to report it with.
  }
}

void Application::ShowCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowException(std::runtime_error("Unknown error"));
  }
}

void Application::ShowMainForm(Form& main) {
  mainForm_ = &main;
  if (window_ && !IsWindowVisible(window_.get())) ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  main.Show();
}

void Application::Run(Form& main) {
  mainForm_ = &main;
  if (terminated_) return;
  ShowMainForm(main);
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      terminated_ = true;
      break;
    }
    Dispatch(msg);
  }
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      break;
    }
    Dispatch(msg);
  }
}

void Application::Dispatch(MSG& msg) {
  // Tab and Shift+Tab move the focus in the form's focus order.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
    if (auto* form = dynamic_cast<Form*>(Control::FromHandle(GetAncestor(msg.hwnd, GA_ROOT)))) {
      if (form->SelectNext(GetKeyState(VK_SHIFT) < 0)) return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* self = reinterpret_cast<Application*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  if (!self->Guard([&] { result = self->HandleMessage(hwnd, msg, wp, lp); })) return 0;
  return result;
}

LRESULT Application::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      // The taskbar's Close: a close request to the main window.
      if (mainForm_ && mainForm_->Handle()) SendMessageW(mainForm_->Handle(), WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) PostMessageW(hwnd, kActivateMainForm, 0, 0);
      return 0;
    case kActivateMainForm:
      if (mainForm_) {
        HWND main = mainForm_->Handle();
        if (main && IsWindowVisible(main) && IsWindowEnabled(main)) SetActiveWindow(main);
      }
      return 0;
    case WM_GETMINMAXINFO:
      // Nothing may grow the window beyond zero size.
      reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {0, 0};
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace ui
