#pragma once
// A form: a borderless top-level window owned by the application's hidden
// window, holding the controls of one layout.
#include <functional>
#include <string_view>

#include "ui/control.h"

namespace ui {

class Form : public Control {
 public:
  // Destroys the window if a derived form has not done so. A derived form
  // whose OnDestroy reaches its own members calls DestroyHandle() in its
  // own destructor, while those members still exist.
  ~Form() override;

  // Creates the window, hidden: no border, no title bar, `clientWidth` x
  // `clientHeight` pixels, window class `className` (registered here).
  void CreateForm(const wchar_t* className, std::string_view caption, int clientWidth, int clientHeight);

  // Showing the form the first time centres it on the screen. Showing
  // activates it, tells its controls (pages run their OnShow) and gives
  // the focus to the first control in focus order that can take it.
  void SetVisible(bool visible) override;

  // Asks to close, as the system's close command does: OnCloseQuery decides
  // (canClose is true on entry); when granted, the main form requests the
  // application to terminate and any other form hides.
  void Close();
  std::function<void(bool& canClose)> OnCloseQuery;

  // Runs OnDestroy, then destroys the window and with it every control's.
  void DestroyHandle();
  std::function<void()> OnDestroy;

  // Moves the focus to the next (or previous) control in focus order: the
  // controls in creation order, depth first, that are tab stops, visible
  // and enabled. Returns false when no control can take it.
  bool SelectNext(bool backwards);
  bool SelectFirst();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::vector<HWND> FocusOrder() const;

  bool centred_ = false;
  HWND lastFocus_ = nullptr;
};

}  // namespace ui
