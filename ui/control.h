#pragma once
// The base of every control: one real window (a child window, or a
// top-level one for forms) bound to one C++ object.
//
// Two kinds of windows:
//  - our own classes ("TPanel", "TTabSheet", "TMainForm", ...), bound to
//    the object in WM_NCCREATE through lpCreateParams;
//  - the system's classes (STATIC, BUTTON, EDIT, the progress bar), bound
//    by subclassing them right after creation.
// Containers (our own classes) reflect the notifications of their children
// (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR*) back to the child object, so a
// button handles its own click and a label picks its own colours.
//
// Every window procedure runs the object's handlers inside a guard: an
// exception that escapes a handler is shown by Application::ShowException
// and never unwinds through the system's frames.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/font.h"

namespace ui {

// A place in the parent's client area, in pixels.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  // Destroys the window if it still exists.
  virtual ~Control();

  // The window; null before creation and after destruction.
  HWND Handle() const { return hwnd_; }
  Control* Parent() const { return parent_; }
  // The controls created with this one as their parent, in creation order.
  const std::vector<Control*>& Children() const { return children_; }
  // The object bound to a window of this layer, or null.
  static Control* FromHandle(HWND hwnd);

  // The window text, GBK.
  void SetText(std::string_view gbk);
  std::string Text() const;

  // Visibility of the control itself (its own WS_VISIBLE flag): a control on
  // a hidden page stays "visible" although nothing of it can be seen.
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual void SetVisible(bool visible);
  bool Visible() const;

  void Enable(bool enabled = true);
  bool Enabled() const;

  // Position and size relative to the parent's client area.
  Rect Bounds() const;
  void SetBounds(const Rect& r);
  int Left() const { return Bounds().left; }
  int Top() const { return Bounds().top; }
  int Width() const { return Bounds().width; }
  int Height() const { return Bounds().height; }
  void SetTop(int top);
  void SetWidth(int width);
  void SetHeight(int height);

  // Paints the control and its children now, before returning.
  void Repaint();

  // Runs the click handler at once, on this thread, as a user's click does.
  virtual void Click();
  std::function<void()> OnClick;

  // The control's own font; without one it uses its parent's (the form's
  // default at the top). Set it before creation to have it from the start.
  void SetFont(const Font& font);
  const Font& EffectiveFont() const;

  // The colour behind the control's content. Containers paint their own;
  // other controls show their parent's, so they look transparent on it.
  virtual COLORREF BackgroundColor() const;

 protected:
  struct CreateParams {
    const wchar_t* className = nullptr;
    bool ownClass = false;  // one of this layer's classes (see RegisterOwnClass)
    DWORD style = 0;
    DWORD exStyle = 0;
    Rect rect;
    int id = 0;
    std::string_view text;  // GBK
  };
  // Creates the window as a child of `parent`, above the siblings created
  // before it (later controls lie above earlier ones), with the effective
  // font. Forms pass no parent: theirs is a top-level window owned by the
  // application's window. Throws setup::Error when the system refuses.
  void CreateHandle(Control* parent, const CreateParams& params);

  // Registers one of this layer's window classes once per process.
  static void RegisterOwnClass(const wchar_t* name, UINT classStyle = 0);

  // The control's message handling; the default passes everything on.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  // What the window's class does with a message.
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  // A notification that the parent reflected back to this control. Returns
  // true when handled, with the message's result in `result`. The default
  // colours the control (text in the font's colour on BackgroundColor()) and
  // turns a click notification into Click().
  virtual bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Hooks for derived controls.
  virtual void TextChanged() {}
  virtual void FontChanged() {}
  // Paints an own-class window (WM_PAINT); the background is already there.
  virtual void Paint(HDC) {}
  // The form that holds this control became visible; runs for every visible
  // descendant (pages run their OnShow there).
  virtual void ParentShown();
  // The text colour for WM_CTLCOLOR*: the effective font's colour.
  virtual COLORREF TextColor() const { return EffectiveFont().color; }

 private:
  static LRESULT CALLBACK OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Runs WndProc inside the exception guard.
  LRESULT GuardedWndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT ContainerMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
  void Bind(HWND hwnd);
  void Unbind();

  HWND hwnd_ = nullptr;
  bool ownClass_ = false;
  WNDPROC baseProc_ = nullptr;  // a system class's procedure, below ours
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  std::optional<Font> font_;
};

}  // namespace ui
