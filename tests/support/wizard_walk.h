#pragma once
// The wizard as the end-to-end tests see it: which page shows, screenshots
// of what the user sees, and the walk along the happy path (the one a
// person takes with the demo product).
#include <windows.h>

#include <ostream>
#include <string>

#include "ui_driver.h"

namespace testing_support {

// The class of the wizard's main window.
inline constexpr wchar_t kWizardWindowClass[] = L"TMainForm";

// The index of the page shown (the visible SheetN), -1 when none is.
int ShownPage(HWND mainWindow);

// Waits until page `page` shows. Fails at once, naming what came instead,
// when a message box of the program appears or the window goes away.
// Returns as soon as the page is visible, maybe while the handler that
// showed it still runs; reads by message (Text, CheckState) wait for it.
void WaitForPage(HWND mainWindow, int page, Millis timeout = kStepTimeout);

// The screen area of every visible window of the program (the window, its
// shadow, an open message box); throws setup::Error when there is none.
RECT AreaOfProgram(DWORD pid);

// Writes a PNG of what the user sees of the program, once its window has
// handled everything queued and the picture has stopped changing.
void SaveProgramScreenshot(HWND mainWindow, const std::wstring& path);

struct WalkOptions {
  std::wstring screenshotFolder;  // page0.png ... page5.png; empty: none
  std::wstring installFolder;     // typed into FolderEd; empty: keep the proposal
  bool keepTutorialTicked = false;
  Millis stepTimeout = kStepTimeout;
  Millis installTimeout = 300000;  // from Next on page 3 to page 5
};

// The happy path: page 0 Next, page 1 Agree, page 2 (the folder typed in
// when given) Next, page 3 Next, then page 5 Finish with the tutorial box
// cleared (or kept). Writes each step to `log`; returns the program's exit
// code. Throws setup::Error naming the step whose window or text did not
// come within its bound.
DWORD WalkWizard(HWND mainWindow, const WalkOptions& options, std::ostream& log);

}  // namespace testing_support
