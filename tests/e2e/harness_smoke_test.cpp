// The end-to-end harness itself: Xvfb, Wine, the UI driver and the screen
// capture, proved against a stand-in window of known behaviour (ui_standin).
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "base/error.h"
#include "tests/support/png_image.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_paths.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wizard_walk.h"
#include "win/handles.h"
#include "win/text.h"

namespace testing_support {
namespace {

constexpr Rgb kHeaderBlue{133, 155, 222};
constexpr Rgb kButtonFace{200, 225, 255};

// Exit codes of the stand-in.
constexpr DWORD kCancelledWithYes = 2;
constexpr DWORD kClosedWithYes = 3;
constexpr DWORD kFinishedCleared = 10;

std::wstring FromEnvironment(const wchar_t* name) {
  const std::wstring value = EnvVar(name);
  if (value.empty()) throw setup::Error("environment variable " + win::Utf8FromWide(name) + " is not set");
  return value[0] == L'/' ? WinPathFromUnix(win::Utf8FromWide(value)) : value;
}

std::wstring ArtifactDir() {
  const std::wstring dir = EnvVar(L"ARTIFACT_DIR");
  return dir.empty() ? L"." : dir;
}

// The stand-in, started fresh for each test.
class HarnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin_.emplace(Process::Start(FromEnvironment(L"UI_STANDIN")));
    main_ = WaitForTopLevelWindow(standin_->pid(), kWizardWindowClass);
    WaitForPage(main_, 0);
  }

  HWND Get(const char* name) { return Control(main_, name); }

  // Next on page 0, Agree on page 1: page 2 shows.
  void GoToPage2() {
    Click(Get("suiButton2"));
    WaitForPage(main_, 1);
    Click(Get("suiButton4"));
    WaitForPage(main_, 2);
  }

  std::optional<Process> standin_;
  HWND main_ = nullptr;
};

const ControlInfo& Find(const std::vector<ControlInfo>& controls, const std::string& name) {
  const auto it = std::find_if(controls.begin(), controls.end(), [&](const ControlInfo& c) { return c.name == name; });
  if (it == controls.end()) throw setup::Error("no " + name + " in the snapshot");
  return *it;
}

TEST_F(HarnessTest, SnapshotReadsEveryControl) {
  const std::vector<ControlInfo> controls = Snapshot(main_);

  const ControlInfo& next = Find(controls, "suiButton2");
  EXPECT_EQ(next.className, L"Button");
  EXPECT_EQ(next.text, L"下一步");
  EXPECT_EQ(next.parentName, "TMainForm");
  EXPECT_EQ(next.rect.left, 320);
  EXPECT_EQ(next.rect.top, 250);
  EXPECT_EQ(next.rect.right - next.rect.left, 89);
  EXPECT_EQ(next.rect.bottom - next.rect.top, 30);
  EXPECT_TRUE(next.shown);
  EXPECT_TRUE(next.enabled);

  EXPECT_EQ(Find(controls, "Label8").parentName, "Panel1");
  EXPECT_EQ(Find(controls, "Label8").text, L"第0页");
  EXPECT_FALSE(Find(controls, "suiButton1").visibleStyle);
  // A control of a page that is not showing: visible itself, hidden with its page.
  const ControlInfo& onPage1 = Find(controls, "Label19");
  EXPECT_TRUE(onPage1.visibleStyle);
  EXPECT_FALSE(onPage1.shown);
  EXPECT_EQ(onPage1.parentName, "Sheet1");
  // The edit box keeps its text to itself: WM_GETTEXT reads it.
  EXPECT_EQ(Find(controls, "FolderEd").text, L"C:\\Standin");

  const std::string table = FormatSnapshot(controls);
  EXPECT_NE(table.find("suiButton2       Button             TMainForm    320   250    89     30  shown   yes     \"" +
                       win::Utf8FromWide(L"下一步") + "\""),
            std::string::npos)
      << table;

  EXPECT_EQ(ShownPage(main_), 0);
  EXPECT_EQ(CheckState(Get("StartProgramCb")), BST_CHECKED);
  EXPECT_EQ(ProgressPosition(Get("CopyProgress")), 0);
}

TEST_F(HarnessTest, ClickRefusesWhatAUserCouldNotClick) {
  // Hidden on page 0.
  EXPECT_NE(WhyNotClickable(Get("suiButton1")).find("suiButton1 is hidden"), std::string::npos);
  EXPECT_THROW(Click(Get("suiButton1")), setup::Error);

  // On page 1, Agree lies over Next.
  Click(Get("suiButton2"));
  WaitForPage(main_, 1);
  EXPECT_NE(WhyNotClickable(Get("suiButton2")).find("covered"), std::string::npos);
  EXPECT_NE(WhyNotClickable(Get("suiButton2")).find("suiButton4"), std::string::npos);
  EXPECT_EQ(WhyNotClickable(Get("suiButton4")), "");

  // While a message box is open, the window's controls take no clicks.
  Click(Get("suiButton3"));
  HWND box = WaitForMessageBox(standin_->pid());
  EXPECT_NE(WhyNotClickable(Get("suiButton4")).find("disabled window"), std::string::npos);
  AnswerMessageBox(box, IDNO);
}

TEST_F(HarnessTest, ClickReachesALabelThatTakesClicks) {
  Click(Get("suiButton2"));
  WaitForPage(main_, 1);
  Click(Get("suiURLLabel1"));  // a STATIC: clicked with the mouse messages
  WaitForText(Get("Label19"), L"已点击");
}

TEST_F(HarnessTest, CancelAsksAndTheAnswerDecides) {
  Click(Get("suiButton3"));
  HWND box = WaitForMessageBox(standin_->pid());
  const MessageBoxContent content = ReadMessageBox(box);
  EXPECT_EQ(content.caption, L" TAVRO");
  EXPECT_EQ(content.text, L"安装程序还没有完成。\r\n要退出安装吗？");
  EXPECT_EQ(content.buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_THROW(AnswerMessageBox(box, IDOK), setup::Error);

  AnswerMessageBox(box, IDNO);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(standin_->Running());
  EXPECT_EQ(ShownPage(main_), 0);

  Click(Get("suiButton3"));
  AnswerMessageBox(WaitForMessageBox(standin_->pid()), IDYES);
  EXPECT_EQ(standin_->WaitForExit(), kCancelledWithYes);
}

TEST_F(HarnessTest, CloseRequestAsksWithConfirm) {
  RequestClose(main_);
  HWND box = WaitForMessageBox(standin_->pid());
  EXPECT_EQ(ReadMessageBox(box).caption, L"Confirm");
  AnswerMessageBox(box, IDYES);
  EXPECT_EQ(standin_->WaitForExit(), kClosedWithYes);
}

TEST_F(HarnessTest, EditTextAndAnEarlyMessageBoxAreReported) {
  GoToPage2();
  HWND folder = Get("FolderEd");
  SetText(folder, L"");
  EXPECT_EQ(Text(folder), L"");
  Click(Get("suiButton2"));
  // The stand-in refuses an empty folder with a message box: waiting for
  // the next page names it instead of running into the bound.
  try {
    WaitForPage(main_, 3);
    ADD_FAILURE() << "page 3 came";
  } catch (const setup::Error& e) {
    EXPECT_NE(std::string(e.what()).find("came instead of page 3"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(win::Utf8FromWide(L"请选择目标文件夹")), std::string::npos)
        << e.what();
  }
  AnswerMessageBox(WaitForMessageBox(standin_->pid()), IDOK);

  SetText(folder, L"D:\\软件\\目录");
  EXPECT_EQ(Text(folder), L"D:\\软件\\目录");
  try {
    WaitForText(folder, L"E:\\", 100);
    ADD_FAILURE() << "the text changed by itself";
  } catch (const setup::Error& e) {
    EXPECT_NE(std::string(e.what()).find("waiting for FolderEd to read \"E:\\\\\"; it reads \"D:"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(TextGbk(folder), "D:\\软件\\目录");  // a GBK literal
  Click(Get("suiButton2"));
  WaitForPage(main_, 3);
  EXPECT_EQ(Text(Get("FolderLb")), L"D:\\软件\\目录");
}

TEST_F(HarnessTest, ReadsTheWindowWhileItIsBusy) {
  GoToPage2();
  Click(Get("suiButton2"));
  WaitForPage(main_, 3);
  Click(Get("suiButton2"));
  // Page 4 shows while the program is busy and answers no messages.
  WaitForPage(main_, 4);
  EXPECT_FALSE(Responds(main_, 100));
  const std::vector<ControlInfo> controls = Snapshot(main_);
  EXPECT_TRUE(Find(controls, "Sheet4").shown);
  EXPECT_TRUE(Find(controls, "CopyProgress").shown);
  EXPECT_FALSE(Find(controls, "suiButton3").enabled);

  WaitForPage(main_, 5);
  EXPECT_EQ(ProgressPosition(Get("CopyProgress")), 100);
  EXPECT_EQ(Text(Get("WorkLb")), L"复制完成");
  EXPECT_EQ(Text(Get("suiButton3")), L"完成");
}

TEST_F(HarnessTest, ScreenshotShowsTheWindow) {
  const std::wstring file = ArtifactDir() + L"\\standin.png";
  SaveProgramScreenshot(main_, file);
  const Image image = DecodePng(ReadFileBytes(file));

  RECT window;
  GetWindowRect(main_, &window);
  ASSERT_EQ(image.width, window.right - window.left);
  ASSERT_EQ(image.height, window.bottom - window.top);
  EXPECT_EQ(image.at(5, 5), kHeaderBlue);                 // the header panel
  EXPECT_EQ(image.at(5, 150), (Rgb{255, 255, 255}));      // the page, window colour
  const RECT next = RectInParent(Get("suiButton2"));
  EXPECT_EQ(image.at(next.left + 3, next.top + 3), kButtonFace);  // an owner-drawn button

  // The same pixels as a capture of the whole screen.
  const Image screen = CaptureWholeScreen();
  EXPECT_EQ(screen.at(window.left + 5, window.top + 5), kHeaderBlue);
}

TEST_F(HarnessTest, WalkFollowsTheHappyPath) {
  const std::wstring shots = ArtifactDir() + L"\\walk";
  CreateDirectoryW(shots.c_str(), nullptr);
  WalkOptions options;
  options.screenshotFolder = shots;
  options.installFolder = L"C:\\走一遍";
  std::ostringstream log;
  EXPECT_EQ(WalkWizard(main_, options, log), kFinishedCleared) << log.str();

  for (int page : {0, 1, 2, 3, 4, 5}) {
    SCOPED_TRACE(page);
    const Image image = DecodePng(ReadFileBytes(shots + L"\\page" + std::to_wstring(page) + L".png"));
    EXPECT_EQ(image.at(5, 5), kHeaderBlue);
  }
  EXPECT_NE(log.str().find("FolderEd := \"" + win::Utf8FromWide(L"C:\\\\走一遍") + "\""), std::string::npos)
      << log.str();
  EXPECT_NE(log.str().find("page 5: \"" + win::Utf8FromWide(L"第5页") + "\""), std::string::npos) << log.str();
}

// The console program, run as a script would.
struct CommandCase {
  std::wstring args;
  DWORD status;
  std::string output;  // expected in stdout + stderr
};

std::string RunCaptured(const std::wstring& exe, const std::wstring& args, DWORD& status) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw setup::Error("CreatePipe failed");
  win::UniqueHandle reader(readEnd), writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring commandLine = L"\"" + exe + L"\" " + args;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    throw setup::Error("cannot start uidriver");
  }
  win::UniqueHandle process(info.hProcess), thread(info.hThread);
  writer.reset();
  std::string output;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(reader.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
  WaitForSingleObject(process.get(), INFINITE);
  GetExitCodeProcess(process.get(), &status);
  return output;
}

TEST_F(HarnessTest, ConsoleProgramRunsCommandsInOrder) {
  const std::wstring shot = ArtifactDir() + L"\\uidriver.png";
  // In this order: the window starts on page 0 and the cases move it on.
  const CommandCase cases[] = {
      {L"click suiButton1", 1, "uidriver: error: cannot click: suiButton1 is hidden"},
      {L"click NoSuchControl", 1, "uidriver: error: unknown control name \"NoSuchControl\""},
      {L"answer maybe", 2, "uidriver: answer takes yes, no or ok"},
      {L"--timeout 1 wait-page 5", 1, "uidriver: error: timed out after 1 s waiting for page 5"},
      {L"snapshot click suiButton2 wait-page 1", 0, "suiButton4       Button"},
      {L"--timeout 2 walk --folder C:\\x", 1, "uidriver: error: timed out after 2 s waiting for page 0"},
      {L"click suiButton4 wait-page 2 screenshot \"" + shot + L"\"", 0, ""},
  };
  const std::wstring exe = FromEnvironment(L"UIDRIVER");
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(win::Utf8FromWide(c.args));
    DWORD status = 0;
    const std::string output =
        RunCaptured(exe, L"--pid " + std::to_wstring(standin_->pid()) + L" " + c.args, status);
    EXPECT_EQ(status, c.status) << output;
    EXPECT_NE(output.find(c.output), std::string::npos) << output;
  }
  EXPECT_EQ(ShownPage(main_), 2);
  EXPECT_EQ(DecodePng(ReadFileBytes(shot)).at(5, 5), kHeaderBlue);
}

}  // namespace
}  // namespace testing_support
