// The questions of start-up as a user meets them: real installers under
// Wine, answered through their message boxes with the UI driver.
#include <windows.h>

#include <gtest/gtest.h>

#include "package/framing.h"
#include "package/package_builder.h"
#include "tests/support/installer_builder.h"
#include "tests/support/test_paths.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wizard_walk.h"
#include "win/text.h"

namespace {

using namespace testing_support;

const std::wstring kReinstallPrompt = win::WideFromGbk("   青岚提示：青岚星软件已经安装,覆盖原来以前的吗？        ");
const std::wstring kDamagedPrompt = win::WideFromGbk("   青岚提示：文件资源校核不完整,继续吗？      ");
const std::wstring kProductKey = L"Software\\TestVendor\\TAVRO-X";

class StartupPromptsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TestVendor"); }
  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TestVendor"); }

  static void MarkInstalled() {
    const DWORD one = 1;
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"Setup", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
  }

  // An installer whose payload fails its byte sum when `damaged`.
  Process StartInstaller(bool damaged) {
    setup::PackageResources package =
        setup::BuildPackage(SampleRecord(), {Bytes("a file"), Bytes("another file")});
    if (damaged) package.setupPack = setup::DeflateFramed(Bytes("a filf" "another file"));
    const std::wstring path = folder_.path() + L"\\setup.exe";
    WriteInstaller(path, package);
    return Process::Start(path, {}, folder_.path());
  }

  // Waits for the next box, checks it is a start-up question and answers it.
  static void Answer(const Process& p, const std::wstring& text, int button) {
    HWND box = WaitForMessageBox(p.pid());
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.text, text);
    EXPECT_EQ(content.caption, L" TAVRO");
    EXPECT_EQ(content.buttons, (std::vector<int>{IDYES, IDNO}));
    AnswerMessageBox(box, button);
  }

  ScratchFolder folder_{L"prompts"};
};

TEST_F(StartupPromptsTest, ReinstallAnsweredNoEndsBeforeThePackageIsRead) {
  // The package is damaged too: had it been loaded and checked, its own
  // question would come next.
  MarkInstalled();
  Process p = StartInstaller(/*damaged=*/true);
  Answer(p, kReinstallPrompt, IDNO);
  EXPECT_EQ(p.WaitForExit(), 0u);
  EXPECT_EQ(FindTopLevelWindow(0, L"TMainForm"), nullptr);
}

TEST_F(StartupPromptsTest, ReinstallAnsweredYesGoesOnToPageZero) {
  MarkInstalled();
  Process p = StartInstaller(/*damaged=*/false);
  Answer(p, kReinstallPrompt, IDYES);
  HWND main = WaitForTopLevelWindow(p.pid(), kWizardWindowClass);
  WaitForPage(main, 0);
  EXPECT_EQ(Text(Control(main, "NameLb")), L"TAVRO-X");
}

TEST_F(StartupPromptsTest, DamagedPackageAnsweredNoEnds) {
  Process p = StartInstaller(/*damaged=*/true);
  Answer(p, kDamagedPrompt, IDNO);
  EXPECT_EQ(p.WaitForExit(), 0u);
}

TEST_F(StartupPromptsTest, DamagedPackageAnsweredYesOpensTheWizard) {
  Process p = StartInstaller(/*damaged=*/true);
  Answer(p, kDamagedPrompt, IDYES);
  HWND main = WaitForTopLevelWindow(p.pid(), kWizardWindowClass);
  WaitForPage(main, 0);
  RequestClose(main);  // the close question, answered Yes, ends it
  HWND box = WaitForMessageBox(p.pid());
  EXPECT_EQ(ReadMessageBox(box).caption, L"Confirm");
  AnswerMessageBox(box, IDYES);
  EXPECT_EQ(p.WaitForExit(), 0u);
}

TEST_F(StartupPromptsTest, UnwritableFolderIsReportedAndInstallingStaysBlocked) {
  // "tmp.cx" cannot be created where a folder of that name stands.
  ASSERT_TRUE(CreateDirectoryW((folder_.path() + L"\\tmp.cx").c_str(), nullptr));
  Process p = StartInstaller(/*damaged=*/false);
  HWND box = WaitForMessageBox(p.pid());
  MessageBoxContent report = ReadMessageBox(box);
  EXPECT_NE(report.text.find(folder_.path() + L"\\tmp.cx"), std::wstring::npos) << win::Utf8FromWide(report.text);
  EXPECT_EQ(report.buttons, (std::vector<int>{IDOK}));
  AnswerMessageBox(box, IDOK);

  // The window opens all the same, but the ready page refuses to install.
  HWND main = WaitForTopLevelWindow(p.pid(), kWizardWindowClass);
  WaitForPage(main, 0);
  Click(Control(main, "suiButton2"));
  WaitForPage(main, 1);
  Click(Control(main, "suiButton4"));
  WaitForPage(main, 2);
  SetText(Control(main, "FolderEd"), folder_.path() + L"\\target");
  Click(Control(main, "suiButton2"));
  WaitForPage(main, 3);
  Click(Control(main, "suiButton2"));
  box = WaitForMessageBox(p.pid());
  report = ReadMessageBox(box);
  EXPECT_NE(report.text.find(L"tmp.cx"), std::wstring::npos) << win::Utf8FromWide(report.text);
  AnswerMessageBox(box, IDOK);
  EXPECT_EQ(ShownPage(main), 3);
  EXPECT_TRUE(IsShown(Control(main, "suiButton2")));
  EXPECT_TRUE(IsEnabled(Control(main, "suiButton3")));
}

}  // namespace
