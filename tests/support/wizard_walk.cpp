#include "wizard_walk.h"

#include "app/control_ids.h"
#include "base/error.h"
#include "screenshot.h"
#include "win/text.h"

namespace testing_support {

int ShownPage(HWND mainWindow) {
  for (int page = 0; page < 6; ++page) {
    HWND sheet = FindControl(mainWindow, ctl::kSheet0 + page);
    if (sheet && IsShown(sheet)) return page;
  }
  return -1;
}

void WaitForPage(HWND mainWindow, int page, Millis timeout) {
  const DWORD pid = ProcessOfWindow(mainWindow);
  const std::string expected = "page " + std::to_string(page);
  WaitUntil(
      [&] {
        if (!IsWindow(mainWindow)) throw setup::Error("the window closed while waiting for " + expected);
        if (ShownPage(mainWindow) == page) return true;
        if (HWND box = FindMessageBox(pid)) {
          const MessageBoxContent content = ReadMessageBox(box);
          throw setup::Error("a message box " + Quote(content.caption) + " came instead of " + expected + ": " +
                             Quote(content.text));
        }
        return false;
      },
      timeout, expected);
}

RECT AreaOfProgram(DWORD pid) {
  RECT area{};
  for (HWND window : TopLevelWindows(pid)) {
    RECT rect;
    GetWindowRect(window, &rect);
    UnionRect(&area, &area, &rect);
  }
  if (IsRectEmpty(&area)) throw setup::Error("process " + std::to_string(pid) + " shows no window");
  return area;
}

void SaveProgramScreenshot(HWND mainWindow, const std::wstring& path) {
  // Once the window answers, it has run the handlers queued before; what
  // they changed is painted when its queue runs empty.
  if (!Responds(mainWindow, kStepTimeout)) throw setup::Error("the window does not answer");
  SavePng(CaptureSettled(AreaOfProgram(ProcessOfWindow(mainWindow))), path);
}

namespace {

class Walk {
 public:
  Walk(HWND mainWindow, const WalkOptions& options, std::ostream& log)
      : main_(mainWindow), process_(Process::Attach(ProcessOfWindow(mainWindow))), options_(options), log_(log) {}

  DWORD Run() {
    Arrive(0);
    Press("suiButton2");

    Arrive(1);
    HWND agree = Control(main_, "suiButton4");
    WaitUntil([&] { return IsShown(agree); }, options_.stepTimeout, "the Agree button suiButton4 to show");
    WaitForText(agree, L"同意", options_.stepTimeout);
    Press("suiButton4");

    Arrive(2);
    if (!options_.installFolder.empty()) {
      HWND edit = Control(main_, "FolderEd");
      SetText(edit, options_.installFolder);
      log_ << "  FolderEd := " << Quote(Text(edit)) << "\n";
    }
    Press("suiButton2");

    Arrive(3);
    Press("suiButton2");

    CatchInstallationPage();
    Arrive(5, options_.installTimeout);
    Finish();

    const DWORD code = process_.WaitForExit(options_.stepTimeout);
    log_ << "the wizard ended with exit code " << code << "\n";
    return code;
  }

 private:
  // Waits for the page, then keeps a screenshot of it.
  void Arrive(int page, Millis timeout = 0) {
    WaitForPage(main_, page, timeout == 0 ? options_.stepTimeout : timeout);
    log_ << "page " << page << ": " << Quote(Text(Control(main_, "Label8"))) << "\n";
    if (!options_.screenshotFolder.empty()) {
      const std::wstring file = options_.screenshotFolder + L"\\page" + std::to_wstring(page) + L".png";
      SaveProgramScreenshot(main_, file);
      log_ << "  screenshot " << win::Utf8FromWide(file) << "\n";
    }
  }

  void Press(std::string_view name) {
    HWND control = Control(main_, name);
    log_ << "  click " << name << " " << Quote(Text(control)) << "\n";
    Click(control);
  }

  // The installation page shows while the wizard is busy installing; it
  // may be over before it is seen. Its screenshot cannot wait for the
  // window to answer, only for the picture to settle.
  void CatchInstallationPage() {
    int page = -1;
    PollUntil([&] { return (page = ShownPage(main_)) >= 4 || FindMessageBox(process_.pid()); }, options_.stepTimeout);
    if (page != 4) return;
    log_ << "page 4: installing\n";
    if (!options_.screenshotFolder.empty()) {
      const std::wstring file = options_.screenshotFolder + L"\\page4.png";
      SavePng(CaptureSettled(AreaOfProgram(process_.pid()), 2000), file);
      log_ << "  screenshot " << win::Utf8FromWide(file) << "\n";
    }
  }

  void Finish() {
    HWND finish = Control(main_, "suiButton3");
    WaitForText(finish, L"完成", options_.stepTimeout);
    WaitUntil([&] { return IsEnabled(finish); }, options_.stepTimeout, "the Finish button suiButton3 to be enabled");
    HWND tutorial = Control(main_, "StartProgramCb");
    const bool ticked = CheckState(tutorial) == BST_CHECKED;
    log_ << "  StartProgramCb is " << (ticked ? "ticked" : "cleared") << "\n";
    if (ticked && !options_.keepTutorialTicked) {
      Press("StartProgramCb");
      WaitUntil([&] { return CheckState(tutorial) == BST_UNCHECKED; }, options_.stepTimeout,
                "StartProgramCb to be cleared");
    }
    Press("suiButton3");
  }

  HWND main_;
  Process process_;
  const WalkOptions& options_;
  std::ostream& log_;
};

}  // namespace

DWORD WalkWizard(HWND mainWindow, const WalkOptions& options, std::ostream& log) {
  return Walk(mainWindow, options, log).Run();
}

}  // namespace testing_support
