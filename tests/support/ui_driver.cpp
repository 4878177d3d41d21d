#include "ui_driver.h"

#include <commctrl.h>

#include <cstdio>

#include "app/control_ids.h"
#include "base/error.h"
#include "win/system_error.h"
#include "win/text.h"

namespace testing_support {
namespace {

// How often a condition is looked at while waiting.
constexpr DWORD kPollIntervalMs = 50;

// The static control that holds a system message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

// How long a snapshot waits for the program to answer before it reads the
// texts the system keeps instead.
constexpr Millis kSnapshotPingTimeout = 1000;

std::string Duration(Millis timeout) {
  return timeout % 1000 == 0 ? std::to_string(timeout / 1000) + " s" : std::to_string(timeout) + " ms";
}

// Sends a message and waits at most kMessageTimeout for the answer;
// nothing when the program did not answer in time. (Not SMTO_ABORTIFHUNG: a
// program busy for over 5 s in one handler counts as hung, and its answer
// right after the handler is the one wanted.)
std::optional<LRESULT> SendBounded(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeout, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

// The text the system keeps for the window; asks the program nothing.
std::wstring KeptText(HWND window) {
  std::wstring text(256, L'\0');
  for (;;) {
    const int n = InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
    if (n < static_cast<int>(text.size()) - 1) {
      text.resize(static_cast<size_t>(n));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// WM_GETTEXT; nothing when the program does not answer.
std::optional<std::wstring> AskedText(HWND window) {
  const std::optional<LRESULT> length = SendBounded(window, WM_GETTEXTLENGTH);
  if (!length) return std::nullopt;
  std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
  const std::optional<LRESULT> n =
      SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  if (!n) return std::nullopt;
  text.resize(static_cast<size_t>(*n));
  return text;
}

std::wstring TextOf(HWND window, bool ask) {
  if (ask) {
    if (std::optional<std::wstring> text = AskedText(window)) return *std::move(text);
  }
  return KeptText(window);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  } catch (...) {
    return FALSE;  // out of memory: no exception may cross the system's frames
  }
}

bool IsChildWindow(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0; }

// A control by its name, a top-level window by its class.
std::string Describe(HWND window) {
  if (IsChildWindow(window)) return ControlName(window);
  return "the window of class " + win::Utf8FromWide(ClassName(window));
}

std::vector<HWND> ChildrenOf(HWND root) {
  std::vector<HWND> children;
  EnumChildWindows(root, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

}  // namespace

std::string Quote(std::wstring_view text) {
  std::string out = "\"";
  for (const char c : win::Utf8FromWide(text)) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool PollUntil(const std::function<bool()>& condition, Millis timeout) {
  const ULONGLONG end = GetTickCount64() + timeout;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(kPollIntervalMs);
  }
}

void WaitUntil(const std::function<bool()>& condition, Millis timeout, std::string_view what) {
  if (!PollUntil(condition, timeout)) {
    throw setup::Error("timed out after " + Duration(timeout) + " waiting for " + std::string(what));
  }
}

void WaitForText(HWND window, std::wstring_view text, Millis timeout) {
  std::wstring last;
  if (!PollUntil([&] { return (last = Text(window)) == text; }, timeout)) {
    throw setup::Error("timed out after " + Duration(timeout) + " waiting for " + Describe(window) + " to read " +
                       Quote(text) + "; it reads " + Quote(last));
  }
}

void WaitForWindowGone(HWND window, Millis timeout) {
  WaitUntil([&] { return !IsWindow(window); }, timeout, Describe(window) + " to close");
}

// --- Process ---

Process Process::Start(const std::wstring& exe, const std::wstring& args, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    win::ThrowSystemError("cannot start " + win::Utf8FromWide(exe));
  }
  CloseHandle(info.hThread);
  Process process(win::UniqueHandle(info.hProcess), info.dwProcessId);
  process.owned_ = true;
  return process;
}

Process Process::Attach(DWORD pid) {
  const DWORD access = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE;
  win::UniqueHandle handle(OpenProcess(access, FALSE, pid));
  if (!handle) win::ThrowSystemError("cannot open process " + std::to_string(pid));
  return Process(std::move(handle), pid);
}

Process::~Process() {
  if (owned_ && handle_) Terminate();
}

bool Process::Running() const { return WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT; }

DWORD Process::WaitForExit(Millis timeout) const {
  if (WaitForSingleObject(handle_.get(), timeout) != WAIT_OBJECT_0) {
    throw setup::Error("timed out after " + Duration(timeout) + " waiting for process " + std::to_string(pid_) +
                       " to end");
  }
  DWORD code = 0;
  GetExitCodeProcess(handle_.get(), &code);
  return code;
}

void Process::Terminate() {
  if (Running()) {
    TerminateProcess(handle_.get(), 1);
    WaitForSingleObject(handle_.get(), 5000);
  }
}

// --- Top-level windows ---

DWORD ProcessOfWindow(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> found;
  for (HWND window : all) {
    if (IsWindowVisible(window) && (pid == 0 || ProcessOfWindow(window) == pid)) found.push_back(window);
  }
  return found;
}

HWND FindTopLevelWindow(DWORD pid, std::wstring_view className) {
  for (HWND window : TopLevelWindows(pid)) {
    if (ClassName(window) == className) return window;
  }
  return nullptr;
}

HWND WaitForTopLevelWindow(DWORD pid, std::wstring_view className, Millis timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevelWindow(pid, className)) != nullptr; }, timeout,
            "a window of class \"" + win::Utf8FromWide(className) + "\"" +
                (pid ? " of process " + std::to_string(pid) : std::string()));
  return found;
}

bool Responds(HWND window, Millis timeout) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result) != 0;
}

// --- Controls ---

HWND FindControl(HWND root, int id) {
  for (HWND child : ChildrenOf(root)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  return nullptr;
}

int ControlId(std::string_view name) {
  for (const ctl::Name& n : ctl::kNames) {
    if (name == n.name) return n.id;
  }
  throw setup::Error("unknown control name \"" + std::string(name) + "\"");
}

HWND Control(HWND root, std::string_view name) {
  HWND control = FindControl(root, ControlId(name));
  if (!control) throw setup::Error("the window has no control " + std::string(name));
  return control;
}

std::string ControlName(HWND control) {
  const int id = GetDlgCtrlID(control);
  const char* name = ctl::NameOf(id);
  return name ? name : "#" + std::to_string(id);
}

std::wstring Text(HWND window) { return TextOf(window, true); }
std::string TextUtf8(HWND window) { return win::Utf8FromWide(Text(window)); }
std::string TextGbk(HWND window) { return win::GbkFromWide(Text(window)); }

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

RECT RectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  HWND parent = IsChildWindow(window) ? GetParent(window) : nullptr;
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool HasVisibleStyle(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
bool IsShown(HWND window) { return IsWindowVisible(window) != FALSE; }
bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

std::optional<int> CheckState(HWND button) {
  const std::optional<LRESULT> state = SendBounded(button, BM_GETCHECK);
  if (!state) return std::nullopt;
  return static_cast<int>(*state);
}

std::optional<int> ProgressPosition(HWND progressBar) {
  const std::optional<LRESULT> position = SendBounded(progressBar, PBM_GETPOS);
  if (!position) return std::nullopt;
  return static_cast<int>(*position);
}

// --- Actions ---

// The deepest visible child of `root` at the screen point `at`, as the
// system finds it among siblings by their Z-order.
HWND DeepestChildAt(HWND root, POINT at) {
  HWND w = root;
  for (;;) {
    POINT local = at;
    ScreenToClient(w, &local);
    HWND child = ChildWindowFromPointEx(w, local, CWP_SKIPINVISIBLE);
    if (!child || child == w) return w;
    w = child;
  }
}

// A window that lets clicks through: the wizard's drop shadow answers every
// hit test with HTTRANSPARENT. (Wine sometimes ranks the shadow above the
// window it follows; the X server, which routes the real clicks, does not.)
bool PassesClicksThrough(HWND w) {
  DWORD_PTR hit = 0;
  return SendMessageTimeoutW(w, WM_NCHITTEST, 0, 0, SMTO_ABORTIFHUNG, 1000, &hit) &&
         static_cast<LRESULT>(hit) == HTTRANSPARENT;
}

std::string WhyNotClickable(HWND control) {
  if (!IsWindow(control)) return "the control is gone";
  const std::string name = ControlName(control);
  if (!IsShown(control)) return name + " is hidden";
  for (HWND w = control; w; w = IsChildWindow(w) ? GetParent(w) : nullptr) {
    if (!IsEnabled(w)) {
      return w == control ? name + " is disabled"
                          : name + " lies in a disabled window (" + Describe(w) + "; is a modal box open?)";
    }
  }
  RECT rect{};
  GetWindowRect(control, &rect);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  HWND hit = WindowFromPoint(centre);
  if (hit && PassesClicksThrough(hit)) hit = DeepestChildAt(GetAncestor(control, GA_ROOT), centre);
  if (hit != control && !IsChild(control, hit)) {
    const std::string at = " at its centre (" + std::to_string(centre.x) + ", " + std::to_string(centre.y) + ")";
    if (!hit) return name + " is not on the screen:" + at + " there is no window";
    return name + " is covered:" + at + " a click reaches " + Describe(hit);
  }
  return {};
}

void Click(HWND control) {
  if (const std::string why = WhyNotClickable(control); !why.empty()) throw setup::Error("cannot click: " + why);
  bool posted = false;
  if (_wcsicmp(ClassName(control).c_str(), L"Button") == 0) {
    posted = PostMessageW(control, BM_CLICK, 0, 0);
  } else {
    // Other controls (a label that takes clicks, a picture button of its
    // own class) get the mouse messages of a click at their centre.
    RECT client{};
    GetClientRect(control, &client);
    const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
    posted = PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, centre) &&
             PostMessageW(control, WM_LBUTTONUP, 0, centre);
  }
  if (!posted) win::ThrowSystemError("cannot click " + ControlName(control));
}

void SetText(HWND control, std::wstring_view text) {
  const std::wstring copy(text);
  if (!SendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()))) {
    throw setup::Error("the program did not take the text for " + ControlName(control));
  }
}

void RequestClose(HWND window) {
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) win::ThrowSystemError("cannot send the close request");
}

// --- Message boxes ---

HWND FindMessageBox(DWORD pid) { return FindTopLevelWindow(pid, L"#32770"); }

HWND WaitForMessageBox(DWORD pid, Millis timeout) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindMessageBox(pid)) != nullptr; }, timeout,
            "a message box of process " + std::to_string(pid));
  return box;
}

MessageBoxContent ReadMessageBox(HWND box) {
  MessageBoxContent content;
  content.caption = KeptText(box);
  if (HWND textControl = GetDlgItem(box, kMessageBoxTextId)) content.text = Text(textControl);
  for (HWND child : ChildrenOf(box)) {
    if (_wcsicmp(ClassName(child).c_str(), L"Button") == 0) content.buttons.push_back(GetDlgCtrlID(child));
  }
  return content;
}

void AnswerMessageBox(HWND box, int buttonId, Millis timeout) {
  HWND button = GetDlgItem(box, buttonId);
  if (!button) {
    throw setup::Error("the message box " + Quote(KeptText(box)) + " has no button of ID " + std::to_string(buttonId));
  }
  if (!PostMessageW(button, BM_CLICK, 0, 0)) win::ThrowSystemError("cannot press the message box's button");
  WaitForWindowGone(box, timeout);
}

// --- Snapshot ---

std::vector<ControlInfo> Snapshot(HWND root) {
  // A program busy in a handler answers no messages: read the texts the
  // system keeps then, instead of waiting for each control in turn.
  const bool ask = Responds(root, kSnapshotPingTimeout);
  std::vector<ControlInfo> controls;
  for (HWND child : ChildrenOf(root)) {
    ControlInfo info;
    info.window = child;
    info.id = GetDlgCtrlID(child);
    info.name = ControlName(child);
    HWND parent = GetParent(child);
    info.parentName = parent == root ? win::Utf8FromWide(ClassName(root)) : ControlName(parent);
    info.className = ClassName(child);
    info.text = TextOf(child, ask);
    info.rect = RectInParent(child);
    info.visibleStyle = HasVisibleStyle(child);
    info.shown = IsShown(child);
    info.enabled = IsEnabled(child);
    controls.push_back(std::move(info));
  }
  return controls;
}

std::string FormatSnapshot(const std::vector<ControlInfo>& controls) {
  std::string out;
  char line[256];
  std::snprintf(line, sizeof line, "%-16s %-18s %-10s %5s %5s %5s %6s  %-7s %-7s %s\n", "name", "class", "parent",
                "left", "top", "width", "height", "visible", "enabled", "text");
  out += line;
  for (const ControlInfo& c : controls) {
    // "own": the control itself is visible, but a parent (its page) is not.
    const char* visible = c.shown ? "shown" : c.visibleStyle ? "own" : "hidden";
    std::snprintf(line, sizeof line, "%-16s %-18s %-10s %5ld %5ld %5ld %6ld  %-7s %-7s ", c.name.c_str(),
                  win::Utf8FromWide(c.className).c_str(), c.parentName.c_str(), c.rect.left, c.rect.top,
                  c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, visible, c.enabled ? "yes" : "no");
    out += line;
    out += Quote(c.text);
    out += '\n';
  }
  return out;
}

}  // namespace testing_support
