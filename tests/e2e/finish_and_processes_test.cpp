// The wizard's way to its end, driven through a real installer: the
// product's processes ended on every Next, the copying page with a close
// request while the engine waits in its file-error notice, the finished
// page that refuses a close request, and the tutorial page opened (or not)
// in a stand-in browser registered in the prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/wizard_session.h"
#include "tests/support/process_checks.h"
#include "tests/support/shell_checks.h"
#include "win/handles.h"

namespace testing_support {
namespace {

constexpr DWORD kEndedByTheWalk = 0xFFFFFFFF;

LaunchCounter& Launches() {
  static LaunchCounter counter;
  return counter;
}

class FinishTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Launches();
    ForgetInstallation();
    for (const std::wstring& folder : {desktop_, programs_}) CreateDirectoryW(folder.c_str(), nullptr);
    MoveShellFolders(desktop_, programs_);
  }
  void TearDown() override { ForgetInstallation(); }

  // From page 0 to page 5, installing into target_.
  void InstallUpToPage5(WizardSession& wizard) {
    wizard.GoTo(3, target_);
    wizard.Press("suiButton2");
    wizard.Arrive(5, 300000);
    EXPECT_EQ(LookMismatches(wizard.main(), 5, Agree::kAway), "");
  }

  ScratchFolder scratch_{L"finish"};
  const std::wstring target_ = scratch_.path() + L"\\目标";
  const std::wstring desktop_ = scratch_.path() + L"\\desktop";
  const std::wstring programs_ = scratch_.path() + L"\\programs";
};

// The stand-ins run as "TAVRO-X.exe" and "KMN-D-Up.exe".
class ProductProcesses {
 public:
  explicit ProductProcesses(const std::wstring& folder) {
    const std::wstring standIn = ProgramFromEnvironment(L"TEST_STAND_IN");
    for (const wchar_t* name : {L"TAVRO-X.exe", L"KMN-D-Up.exe"}) {
      const std::wstring exe = folder + L"\\" + name;
      if (!CopyFileW(standIn.c_str(), exe.c_str(), FALSE)) throw setup::Error("cannot copy the stand-in");
      exes_.push_back(exe);
    }
  }

  // Starts a stand-in under each name where none runs, and waits until the
  // process list shows it under that name.
  void EnsureRunning() {
    running_.resize(exes_.size());
    for (size_t i = 0; i < exes_.size(); ++i) {
      if (running_[i] && running_[i]->Running()) continue;
      running_[i].emplace(Process::Start(exes_[i]));
      const std::wstring name = exes_[i].substr(exes_[i].rfind(L'\\') + 1);
      const DWORD pid = running_[i]->pid();
      WaitUntil([&] { return ListedName(pid) == name; }, kStepTimeout, win::Utf8FromWide(name) + " to be listed");
    }
  }

  // Whether each stand-in was ended by the walk (waits for it), or still
  // runs (looked at once, after the press was handled).
  std::string Mismatches(bool ended) {
    std::string out;
    for (size_t i = 0; i < exes_.size(); ++i) {
      const std::string name = win::Utf8FromWide(exes_[i].substr(exes_[i].rfind(L'\\') + 1));
      if (ended) {
        const DWORD code = running_[i]->WaitForExit();
        if (code != kEndedByTheWalk) out += name + " ended with " + std::to_string(code) + "\n";
      } else if (!running_[i]->Running()) {
        out += name + " was ended\n";
      }
    }
    return out;
  }

 private:
  std::vector<std::wstring> exes_;
  std::vector<std::optional<Process>> running_;
};

// Every Next, and Agree, ends the product's processes before it looks at
// the page, also when the folder is then refused; Back ends none.
TEST_F(FinishTest, EveryNextEndsTheProductsProcesses) {
  ProductProcesses processes(scratch_.path());
  WizardSession wizard(scratch_.path(), SmallPackage());

  struct Step {
    const char* what;
    std::function<void()> press;
    bool ends;
    int page;
  };
  const Step steps[] = {
      {"Next on page 0", [&] { wizard.Press("suiButton2"); }, true, 1},
      {"Back on page 1", [&] { wizard.Press("suiButton1"); }, false, 0},
      {"Next on page 0 again", [&] { wizard.Press("suiButton2"); }, true, 1},
      {"Agree on page 1", [&] { wizard.Press("suiButton4"); }, true, 2},
      {"Next on page 2, folder refused",
       [&] {
         SetText(wizard.Get("FolderEd"), L"");
         wizard.Press("suiButton2");
         const Box box = WaitForBox(wizard.pid());
         EXPECT_EQ(NoticeMismatches(box, "  提示：请选择目标文件夹！     "), "");
         AnswerMessageBox(box.window, IDOK);
       },
       true, 2},
      {"Next on page 2, folder accepted",
       [&] {
         SetText(wizard.Get("FolderEd"), target_);
         wizard.Press("suiButton2");
       },
       true, 3},
      {"Back on page 3", [&] { wizard.Press("suiButton1"); }, false, 2},
      {"Next on page 2 once more", [&] { wizard.Press("suiButton2"); }, true, 3},
      {"Next on page 3: installs", [&] { wizard.Press("suiButton2"); }, true, 5},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    processes.EnsureRunning();
    step.press();
    wizard.Arrive(step.page, 300000);
    EXPECT_EQ(processes.Mismatches(step.ends), "");
  }
}

// A close request while the engine waits in its notice about a file it
// cannot write is granted without a question, but ends the program only
// once the notice is answered and the engine has finished: the files
// after the failed one are still written.
TEST_F(FinishTest, CloseRequestWhileInstallingEndsOnceTheEngineIsDone) {
  setup::SetupConfig record = SampleRecord();
  record.SetFile(0, {"\\locked.txt", 0, 1, 0, 0});
  record.SetFile(1, {"\\after.txt", 0, 1, 0, 0});
  const setup::PackageResources package = setup::BuildPackage(record, {Bytes("new"), Bytes("written after")});
  ASSERT_TRUE(CreateDirectoryW(target_.c_str(), nullptr));
  const std::wstring locked = target_ + L"\\locked.txt";
  WriteFileBytes(locked, "old");
  ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));

  WizardSession wizard(scratch_.path(), package);
  wizard.GoTo(3, target_);
  wizard.Press("suiButton2");
  const Box notice = WaitForBox(wizard.pid());
  EXPECT_EQ(NoticeMismatches(notice, "安装下列文件时发生错误，\r\n建议重新启动后再次安装!\r\n" + win::GbkFromWide(locked)),
            "");
  // The copying page, as the engine left it to ask.
  EXPECT_EQ(LookMismatches(wizard.main(), 4, Agree::kAway), "");
  EXPECT_EQ(wizard.GbkOf("WorkLb"), "正在复制文件...");
  SaveProgramScreenshot(wizard.main(), ArtifactPath(L"file-error.png"));

  ASSERT_TRUE(SendCloseRequest(wizard.main()));
  EXPECT_TRUE(IsWindow(notice.window));
  EXPECT_EQ(FindMessageBox(wizard.pid()), notice.window) << "a question came";
  EXPECT_TRUE(IsWindow(wizard.main()));
  EXPECT_EQ(ShownPage(wizard.main()), 4);
  EXPECT_TRUE(wizard.process().Running());

  AnswerMessageBox(notice.window, IDOK);
  wizard.ExpectEnded();
  EXPECT_EQ(ReadFileBytes(locked), "old");
  EXPECT_EQ(ReadFileBytes(target_ + L"\\after.txt"), "written after");
  EXPECT_EQ(Names(target_), L"G_ls.cx|after.txt|locked.txt");
}

// The stand-in browser, registered for HTML files in the prefix; it records
// each command line it is started with in a file beside itself.
class RegisteredBrowser {
 public:
  explicit RegisteredBrowser(const std::wstring& folder) : folder_(folder), exe_(folder + L"\\browser.exe") {
    CreateDirectoryW(folder_.c_str(), nullptr);
    if (!CopyFileW(ProgramFromEnvironment(L"URL_RECORDER").c_str(), exe_.c_str(), FALSE)) {
      throw setup::Error("cannot copy the stand-in browser");
    }
    const std::wstring command = L"\"" + exe_ + L"\" -nohome \"%1\"";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"htmlfile\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  const std::wstring& exe() const { return exe_; }

  // The command lines recorded so far.
  std::vector<std::wstring> Records() const {
    std::vector<std::wstring> records;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((folder_ + L"\\*.log").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return records;
    do {
      const std::string bytes = ReadFileBytes(folder_ + L"\\" + data.cFileName);
      records.emplace_back(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return records;
  }

 private:
  std::wstring folder_, exe_;
};

// Whether the machine reports a connection the wizard goes online with.
bool Online() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) && (flags & (INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN |
                                                           INTERNET_CONNECTION_PROXY)) != 0;
}

TEST_F(FinishTest, FinishWithTheBoxTickedOpensTheTutorialOnce) {
  const RegisteredBrowser browser(scratch_.path() + L"\\浏览器");
  WizardSession wizard(scratch_.path(), SmallPackage());
  InstallUpToPage5(wizard);
  EXPECT_EQ(wizard.GbkOf("Label6"), "请双击桌面的TAVRO-X图标运行软件。");
  EXPECT_EQ(wizard.GbkOf("StartProgramCb"), "怎样加密？看看使用教程");
  EXPECT_EQ(CheckState(wizard.Get("StartProgramCb")), BST_CHECKED);
  SaveProgramScreenshot(wizard.main(), ArtifactPath(L"finished.png"));

  // Only Finish ends the program here.
  ASSERT_TRUE(SendCloseRequest(wizard.main()));
  EXPECT_EQ(FindMessageBox(wizard.pid()), nullptr);
  EXPECT_TRUE(IsWindow(wizard.main()));
  EXPECT_EQ(LookMismatches(wizard.main(), 5, Agree::kAway), "");

  const unsigned long before = Launches().Total();
  wizard.Press("suiButton3");
  wizard.ExpectEnded();
  if (Online()) {
    EXPECT_EQ(Launches().Total() - before, 1u);
    WaitUntil([&] { return !browser.Records().empty(); }, kStepTimeout, "the browser's record");
    EXPECT_EQ(browser.Records(), std::vector<std::wstring>{L"\"" + browser.exe() + L"\" http://example.com/X-jiaocheng.asp"});
  } else {
    EXPECT_EQ(Launches().Total() - before, 0u);
  }
}

TEST_F(FinishTest, FinishWithTheBoxClearedOpensNothing) {
  const RegisteredBrowser browser(scratch_.path() + L"\\浏览器");
  WizardSession wizard(scratch_.path(), SmallPackage());
  InstallUpToPage5(wizard);
  wizard.Press("StartProgramCb");
  WaitUntil([&] { return CheckState(wizard.Get("StartProgramCb")) == BST_UNCHECKED; }, kStepTimeout,
            "the box to be cleared");

  const unsigned long before = Launches().Total();
  wizard.Press("suiButton3");
  wizard.ExpectEnded();
  // The wizard asks the shell to start the browser before it ends, so any
  // browser it started is counted by now.
  EXPECT_EQ(Launches().Total() - before, 0u);
  EXPECT_TRUE(browser.Records().empty());
}

}  // namespace
}  // namespace testing_support
