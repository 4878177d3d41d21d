#pragma once
// A small UI driver for the end-to-end tests: starts a program, finds its
// windows and controls, reads what they show, presses buttons and answers
// message boxes, much as a user would. The program runs in its own process;
// everything here works across the process boundary.
//
// Waiting is always for a condition, polled, with a generous bound; a bound
// that passes throws setup::Error naming what did not come.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/handles.h"

namespace testing_support {

// Milliseconds. (<chrono> cannot be used: its "\u00b5s" has no GBK form, and
// every narrow literal is compiled to GBK.)
using Millis = DWORD;

// A program's first window: Wine may take a while to start a process.
inline constexpr Millis kWindowTimeout{60000};
// The reaction to one action (a page change, a message box).
inline constexpr Millis kStepTimeout{30000};
// One message sent to a window of the program (WM_GETTEXT and the like).
// Generous: under Wine without a window manager, hiding a window with a
// caption (a message box closing) stalls its program for about 2 s.
inline constexpr Millis kMessageTimeout{10000};

// Polls `condition` until it holds; false when `timeout` passed first.
bool PollUntil(const std::function<bool()>& condition, Millis timeout);
// The same, but throws setup::Error("timed out after N s waiting for
// <what>") when the bound passes.
void WaitUntil(const std::function<bool()>& condition, Millis timeout, std::string_view what);

// Waits until the window's text (Text below) is `text`; the error names
// the text last read.
void WaitForText(HWND window, std::wstring_view text, Millis timeout = kStepTimeout);
// Waits until the window is destroyed.
void WaitForWindowGone(HWND window, Millis timeout = kStepTimeout);

// A program the driver works with. One it started is ended with the object
// if it still runs, so a failed test leaves nothing behind; one it attached
// to is left running.
class Process {
 public:
  // Starts `exe` with the command-line arguments `args` (already quoted) in
  // `folder` (empty: the driver's current folder).
  static Process Start(const std::wstring& exe, const std::wstring& args = {}, const std::wstring& folder = {});
  // Takes an already running program by its id.
  static Process Attach(DWORD pid);

  Process(Process&&) = default;
  Process& operator=(Process&&) = default;
  ~Process();

  DWORD pid() const { return pid_; }
  HANDLE handle() const { return handle_.get(); }
  bool Running() const;
  // Waits for the program to end and returns its exit code.
  DWORD WaitForExit(Millis timeout = kStepTimeout) const;
  void Terminate();
  // Leaves a started program running when the object goes.
  void LeaveRunning() { owned_ = false; }

 private:
  Process(win::UniqueHandle handle, DWORD pid) : handle_(std::move(handle)), pid_(pid) {}
  win::UniqueHandle handle_;
  DWORD pid_ = 0;
  bool owned_ = false;
};

// --- Top-level windows ---

DWORD ProcessOfWindow(HWND window);
// The visible top-level windows of process `pid` (0: of every process), top
// of the stacking order first.
std::vector<HWND> TopLevelWindows(DWORD pid);
// The first visible top-level window of `className` of process `pid` (0: of
// any process); nullptr when there is none.
HWND FindTopLevelWindow(DWORD pid, std::wstring_view className);
HWND WaitForTopLevelWindow(DWORD pid, std::wstring_view className, Millis timeout = kWindowTimeout);
// True when the window's thread handles messages within `timeout` (it is in
// its message loop, not busy in a handler).
bool Responds(HWND window, Millis timeout = kMessageTimeout);

// --- Controls ---

// The control of window ID `id` anywhere below `root`; nullptr when none.
HWND FindControl(HWND root, int id);
// The window ID of a control name of app/control_ids.h; throws setup::Error
// when the name is unknown.
int ControlId(std::string_view name);
// The control named `name` below `root`; throws setup::Error when the name
// is unknown or no such control exists.
HWND Control(HWND root, std::string_view name);
// The control's name from app/control_ids.h, else "#<id>".
std::string ControlName(HWND control);

// The window's text. It is asked with WM_GETTEXT (edit boxes keep their text
// to themselves); when the program does not answer within kMessageTimeout
// (busy in a handler), the text the system keeps for the window is read
// instead (for an edit box, maybe not its current one).
std::wstring Text(HWND window);
std::string TextUtf8(HWND window);
std::string TextGbk(HWND window);  // compares with the GBK literals of the tests
std::wstring ClassName(HWND window);
// The outer rectangle in the client coordinates of the parent (of the
// screen for a top-level window).
RECT RectInParent(HWND window);
// WS_VISIBLE of the window itself.
bool HasVisibleStyle(HWND window);
// Visible as a whole: the window and every parent have WS_VISIBLE.
bool IsShown(HWND window);
bool IsEnabled(HWND window);
// BM_GETCHECK (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE); nothing when
// the program does not answer.
std::optional<int> CheckState(HWND button);
// PBM_GETPOS; nothing when the program does not answer.
std::optional<int> ProgressPosition(HWND progressBar);

// --- Actions ---

// Why a user could not click the control now (hidden, disabled, its top
// window disabled by a modal box, covered by another window or outside the
// screen); empty when a user could.
std::string WhyNotClickable(HWND control);
// Clicks a control as the user would and returns at once (the handler may
// open a modal box). A BUTTON gets BM_CLICK: it runs its own mouse handling
// (owner-drawn ones too) and sends its parent BN_CLICKED. Any other control
// gets the mouse messages of a click at its centre (WM_LBUTTONDOWN, then
// WM_LBUTTONUP). Throws setup::Error when a user could not click it (see
// WhyNotClickable).
void Click(HWND control);
// Replaces the text of an edit box (WM_SETTEXT).
void SetText(HWND control, std::wstring_view text);
// A close request to a top-level window (WM_CLOSE, posted).
void RequestClose(HWND window);

// --- Message boxes (the system's dialog class "#32770") ---

HWND FindMessageBox(DWORD pid);
HWND WaitForMessageBox(DWORD pid, Millis timeout = kStepTimeout);

struct MessageBoxContent {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // IDs: IDOK, IDYES, IDNO, ...
};
MessageBoxContent ReadMessageBox(HWND box);
// Presses the box's button `buttonId` (IDYES, IDNO, IDOK ...) and returns
// once the box has closed. Throws setup::Error when the box has no such
// button or does not close within `timeout`.
void AnswerMessageBox(HWND box, int buttonId, Millis timeout = kStepTimeout);

// --- Snapshot of every control ---

struct ControlInfo {
  HWND window = nullptr;
  int id = 0;
  std::string name;        // from app/control_ids.h, else "#<id>"
  std::string parentName;  // likewise; the class name when it is the root
  std::wstring className;
  std::wstring text;
  RECT rect{};             // in the parent's client coordinates
  bool visibleStyle = false;
  bool shown = false;
  bool enabled = false;
};

// Every control below `root`, in the order of the window tree.
std::vector<ControlInfo> Snapshot(HWND root);
// `text` in UTF-8 between double quotes, with line breaks, quotes and
// backslashes escaped: one line of output for a log.
std::string Quote(std::wstring_view text);

// A table of the snapshot, one control a line, texts in UTF-8.
std::string FormatSnapshot(const std::vector<ControlInfo>& controls);

}  // namespace testing_support
