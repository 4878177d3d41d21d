// uidriver: drives the wizard's window from a console, for a person or a
// script. Commands run in the order given, each waiting (within a bound)
// for what it needs; the first that fails ends the run with status 1.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "tests/support/screenshot.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wizard_walk.h"
#include "win/text.h"

namespace {

using namespace testing_support;

constexpr char kUsage[] =
    "usage: uidriver [--pid N | --start EXE] [--timeout SECONDS] COMMAND [ARGS] [COMMAND [ARGS] ...]\n"
    "\n"
    "The window driven is the wizard's (class TMainForm) of process N, of the\n"
    "program started, or else the first one found.\n"
    "\n"
    "commands:\n"
    "  snapshot                 print every control: name, class, parent, place, state, text\n"
    "  click NAME               click the control NAME (e.g. suiButton2)\n"
    "  set-text NAME TEXT       replace the text of an edit box (e.g. FolderEd)\n"
    "  answer yes|no|ok         wait for a message box, print its caption and text, press the button\n"
    "  close                    send the window a close request\n"
    "  screenshot FILE.png      save what the user sees of the program\n"
    "  screenshot-screen FILE.png  save the whole screen\n"
    "  wait-page N              wait until page N (SheetN) shows\n"
    "  wait-exit                wait until the program ends; print its exit code\n"
    "  walk [--screenshots DIR] [--folder PATH] [--keep-tutorial]\n"
    "                           the happy path: Next, Agree, (folder) Next, Next, Finish\n";

struct UsageError : setup::Error {
  using setup::Error::Error;
};

// The program driven and its window, found when first needed.
class Target {
 public:
  Target(DWORD pid, Millis timeout) : pid_(pid), timeout_(timeout) {}

  HWND Window() {
    if (!window_ || !IsWindow(window_)) {
      window_ = WaitForTopLevelWindow(pid_, kWizardWindowClass, std::max(timeout_, kWindowTimeout));
      pid_ = ProcessOfWindow(window_);
    }
    return window_;
  }
  DWORD pid() {
    if (pid_ == 0) Window();
    return pid_;
  }
  Millis timeout() const { return timeout_; }

 private:
  DWORD pid_;
  Millis timeout_;
  HWND window_ = nullptr;
};

void Print(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

class Arguments {
 public:
  explicit Arguments(std::vector<std::wstring> args) : args_(std::move(args)) {}
  bool done() const { return next_ >= args_.size(); }
  bool PeekIs(const wchar_t* option) const { return !done() && args_[next_] == option; }
  std::wstring Take(const char* what) {
    if (done()) throw UsageError(std::string("missing ") + what);
    return args_[next_++];
  }

 private:
  std::vector<std::wstring> args_;
  size_t next_ = 0;
};

int AnswerId(const std::wstring& answer) {
  if (answer == L"yes") return IDYES;
  if (answer == L"no") return IDNO;
  if (answer == L"ok") return IDOK;
  throw UsageError("answer takes yes, no or ok");
}

int PageNumber(const std::wstring& text) {
  if (text.size() != 1 || text[0] < L'0' || text[0] > L'5') throw UsageError("wait-page takes a page from 0 to 5");
  return text[0] - L'0';
}

WalkOptions ParseWalkOptions(Arguments& args, Millis timeout) {
  WalkOptions options;
  options.stepTimeout = timeout;
  options.installTimeout = std::max(options.installTimeout, timeout);
  for (;;) {
    if (args.PeekIs(L"--screenshots")) {
      args.Take("--screenshots");
      options.screenshotFolder = args.Take("the screenshot folder");
      CreateDirectoryW(options.screenshotFolder.c_str(), nullptr);
    } else if (args.PeekIs(L"--folder")) {
      args.Take("--folder");
      options.installFolder = args.Take("the install folder");
    } else if (args.PeekIs(L"--keep-tutorial")) {
      args.Take("--keep-tutorial");
      options.keepTutorialTicked = true;
    } else {
      return options;
    }
  }
}

// Runs one command and takes its arguments from `args`.
void RunCommand(const std::wstring& command, Arguments& args, Target& target) {
  if (command == L"snapshot") {
    Print(FormatSnapshot(Snapshot(target.Window())));
  } else if (command == L"click") {
    Click(Control(target.Window(), win::Utf8FromWide(args.Take("the control name"))));
  } else if (command == L"set-text") {
    HWND control = Control(target.Window(), win::Utf8FromWide(args.Take("the control name")));
    SetText(control, args.Take("the text"));
  } else if (command == L"answer") {
    const int button = AnswerId(args.Take("yes, no or ok"));
    HWND box = WaitForMessageBox(target.pid(), target.timeout());
    const MessageBoxContent content = ReadMessageBox(box);
    Print("caption: " + Quote(content.caption) + "\ntext: " + Quote(content.text) + "\n");
    AnswerMessageBox(box, button, target.timeout());
  } else if (command == L"close") {
    RequestClose(target.Window());
  } else if (command == L"screenshot") {
    const std::wstring file = args.Take("the PNG file");
    SaveProgramScreenshot(target.Window(), file);
  } else if (command == L"screenshot-screen") {
    SavePng(CaptureWholeScreen(), args.Take("the PNG file"));
  } else if (command == L"wait-page") {
    WaitForPage(target.Window(), PageNumber(args.Take("the page number")), target.timeout());
  } else if (command == L"wait-exit") {
    const DWORD code = Process::Attach(target.pid()).WaitForExit(target.timeout());
    Print("exit code " + std::to_string(code) + "\n");
  } else if (command == L"walk") {
    const WalkOptions options = ParseWalkOptions(args, target.timeout());
    WalkWizard(target.Window(), options, std::cout);
  } else {
    throw UsageError("unknown command " + win::Utf8FromWide(command));
  }
  std::fflush(stdout);
}

int Run(std::vector<std::wstring> argv) {
  Arguments args(std::move(argv));
  DWORD pid = 0;
  Millis timeout = kStepTimeout;
  std::optional<Process> started;
  try {
    for (;;) {
      if (args.PeekIs(L"--pid")) {
        args.Take("--pid");
        pid = static_cast<DWORD>(std::stoul(args.Take("the process id")));
      } else if (args.PeekIs(L"--timeout")) {
        args.Take("--timeout");
        timeout = static_cast<Millis>(1000 * std::stoul(args.Take("the timeout in seconds")));
      } else if (args.PeekIs(L"--start")) {
        args.Take("--start");
        started = Process::Start(args.Take("the program"));
        started->LeaveRunning();
        pid = started->pid();
      } else {
        break;
      }
    }
    if (args.done()) throw UsageError("no command given");
    Target target(pid, timeout);
    while (!args.done()) {
      const std::wstring command = args.Take("a command");
      RunCommand(command, args, target);
    }
    return 0;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "uidriver: %s\n\n%s", e.what(), kUsage);
    return 2;
  } catch (const std::invalid_argument&) {
    std::fprintf(stderr, "uidriver: a number was expected\n\n%s", kUsage);
    return 2;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "uidriver: error: %s\n", e.what());
    return 1;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // UTF-8 out as it is, without the runtime turning "\n" into "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
