#pragma once
// The application object: the thread's COM apartment, the hidden top-level
// window that owns the forms and carries the taskbar entry, the title, the
// modal message boxes, the terminate request, the default error report and
// the message loop.
//
// The hidden window (class "TApplication") is a popup of zero size at the
// centre of the screen with a caption and a minimise box, as the old class
// library made it: zero size means nothing of it can be seen, while being
// a visible, unowned window gives it the taskbar button, labelled with the
// application title. The main window is owned by it, so the main window
// has no taskbar button of its own and its caption stays separate from the
// taskbar title. Activating the hidden window (the taskbar button) passes
// the activation on to the main window.
#include <windows.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "win/handles.h"

namespace ui {

class Form;

class Application {
 public:
  // Answers a message box instead of showing it (tests): receives the text,
  // the caption and the flags; returns the button's id (IDOK, IDYES, ...).
  using MessageBoxHook =
      std::function<int(const std::wstring& text, const std::wstring& caption, UINT flags)>;

  // Becomes the current application; there is one at a time.
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  // Destroys the hidden window, then ends COM for the thread.
  ~Application();

  // The current application, or null when none exists.
  static Application* Current() { return current_; }

  // COM for this thread (single-threaded apartment), the common controls,
  // and the hidden window. Throws setup::Error when the window cannot be
  // made.
  void Initialize();

  // The hidden top-level window that owns the main window.
  HWND Handle() const { return window_.get(); }

  // The title on the taskbar (GBK); at first the executable's name without
  // its extension.
  void SetTitle(std::string_view gbk);
  std::string Title() const;

  // A system message box owned by the hidden window, modal for the whole
  // application: the application's visible windows are disabled while it is
  // open and enabled again afterwards. Texts are GBK. Returns the button's
  // id. The `Wide` form takes UTF-16 texts. (<windows.h>, included above,
  // renames MessageBox to MessageBoxW everywhere, this method included.)
  int MessageBox(std::string_view gbkText, std::string_view gbkCaption, UINT flags);
  int MessageBoxWide(const std::wstring& text, const std::wstring& caption, UINT flags);
  void SetMessageBoxHook(MessageBoxHook hook) { messageBoxHook_ = std::move(hook); }

  // A request to end: the message loop stops once the handler that asked
  // returns. Nothing is torn down here: open message boxes stay until
  // answered, windows are destroyed by their owners after Run returns.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // The default error report: a message box with the error's text (UTF-8 in
  // setup::Error), the application title as caption, an error icon and OK.
  // Never throws.
  void ShowException(const std::exception& e) noexcept;
  // The same for an exception of any type; call it inside a catch block.
  void ShowCurrentException() noexcept;

  // Runs `f`; an exception that escapes it is reported with ShowException.
  // Returns false when one did.
  template <typename F>
  bool Guard(F&& f) noexcept {
    try {
      f();
      return true;
    } catch (...) {
      ShowCurrentException();
      return false;
    }
  }

  // Shows `main` centred (unless termination was already requested), then
  // handles messages until termination is requested, then returns; the
  // caller destroys the forms, before the application (its window owns
  // theirs).
  void Run(Form& main);
  // What Run does before its loop: makes `main` the main form, shows the
  // hidden window (the taskbar entry) and `main`, centred the first time.
  void ShowMainForm(Form& main);
  // Handles the messages that are waiting, then returns (tests, and code
  // that must let the window catch up).
  void ProcessMessages();

  // The form given to Run, while it exists.
  Form* MainForm() const { return mainForm_; }
  void SetMainForm(Form* form) { mainForm_ = form; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Dispatch(MSG& msg);

  static Application* current_;
  std::optional<win::ComInit> com_;
  win::UniqueWindow window_;
  std::wstring title_;
  bool terminated_ = false;
  Form* mainForm_ = nullptr;
  MessageBoxHook messageBoxHook_;
};

// The current application; throws std::logic_error when there is none.
Application& App();

}  // namespace ui
