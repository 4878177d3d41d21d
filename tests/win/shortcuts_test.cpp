// Shortcuts written into scratch "Desktop" and "Programs" folders of the
// test prefix, read back through the shell's link object.
#include "shell/shortcuts.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "base/error.h"
#include "tests/support/shell_checks.h"
#include "tests/support/test_paths.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using testing_support::Link;
using testing_support::Names;
using testing_support::ReadLink;
using testing_support::ScratchFolder;

std::string Gbk(const std::wstring& wide) { return win::GbkFromWide(wide); }

// Removes everything inside `folder`, keeping the folder.
void Empty(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      testing_support::RemoveTree(child);
    } else {
      DeleteFileW(child.c_str());
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

// The prefix's desktop and Programs folders, moved to folders of this test
// program for all of its tests. The shell rewrites the "Shell Folders"
// desktop value from "User Shell Folders" whenever a link's target is set,
// so both keys name the same folder.
class ShortcutsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const std::wstring& folder : {Root(), Desktop(), Programs()}) CreateDirectoryW(folder.c_str(), nullptr);
    testing_support::MoveShellFolders(Desktop(), Programs());
  }
  static std::wstring Root() { return L"C:\\快捷方式测试"; }
  static std::wstring Desktop() { return Root() + L"\\桌面"; }
  static std::wstring Programs() { return Root() + L"\\程序"; }

  void SetUp() override {
    ASSERT_TRUE(com_.ok());  // the wizard's thread has its apartment too
    GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
    Empty(desktop_);
    Empty(programs_);
    ASSERT_EQ(Names(desktop_) + Names(programs_), L"");
    for (const std::wstring& folder : {targetFolder_, out_}) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    testing_support::WriteFileBytes(target_, "MZ");
  }
  void TearDown() override { SetCurrentDirectoryW(savedDirectory_); }

  win::ComInit com_;
  ScratchFolder scratch_{L"links"};
  const std::wstring desktop_ = Desktop();
  const std::wstring programs_ = Programs();
  const std::wstring targetFolder_ = scratch_.path() + L"\\青岚星";
  const std::wstring target_ = targetFolder_ + L"\\运行.exe";
  const std::wstring out_ = scratch_.path() + L"\\out";
  wchar_t savedDirectory_[MAX_PATH] = {};
};

TEST_F(ShortcutsTest, ShortcutFileHoldsTargetArgumentsFolderAndIcon) {
  setup::CreateShortcutFile(Gbk(target_), "运行 青岚星", Gbk(out_), "-a \"b c\"");
  EXPECT_EQ(Names(out_), L"运行 青岚星.lnk");
  const Link link = ReadLink(out_ + L"\\运行 青岚星.lnk");
  EXPECT_EQ(link.target, target_);
  EXPECT_EQ(link.arguments, L"-a \"b c\"");
  EXPECT_EQ(link.workingDirectory, targetFolder_ + L"\\");
  EXPECT_EQ(link.iconPath, target_);
  EXPECT_EQ(link.iconIndex, 0);
}

TEST_F(ShortcutsTest, SameCaptionOverwritesAndEmptyArgumentsStayEmpty) {
  setup::CreateShortcutFile(Gbk(target_), "app", Gbk(out_), "first");
  setup::CreateShortcutFile(Gbk(target_), "app", Gbk(out_), "");
  EXPECT_EQ(Names(out_), L"app.lnk");
  EXPECT_EQ(ReadLink(out_ + L"\\app.lnk").arguments, L"");
}

TEST_F(ShortcutsTest, UnsavableShortcutIsSilentlyMissing) {
  EXPECT_NO_THROW(setup::CreateShortcutFile(Gbk(target_), "app", Gbk(scratch_.path() + L"\\nowhere"), ""));
  EXPECT_NO_THROW(setup::CreateShortcutFile(Gbk(target_), "a|b", Gbk(out_), ""));
  EXPECT_EQ(Names(out_), L"");
}

TEST_F(ShortcutsTest, DesktopShortcutGoesToTheDesktopValue) {
  setup::CreateDesktopShortcut(Gbk(target_), "青岚星", "/x");
  EXPECT_EQ(Names(desktop_), L"青岚星.lnk");
  EXPECT_EQ(ReadLink(desktop_ + L"\\青岚星.lnk").arguments, L"/x");
}

TEST_F(ShortcutsTest, ProgramsShortcutsShareOneGroupFolder) {
  setup::CreateProgramsShortcut("青岚星", Gbk(target_), "运行", "");
  setup::CreateProgramsShortcut("青岚星", Gbk(target_), "卸载青岚星", "");
  EXPECT_EQ(Names(programs_), L"青岚星");
  const std::wstring group = programs_ + L"\\青岚星";
  EXPECT_EQ(Names(group), L"卸载青岚星.lnk|运行.lnk");
  EXPECT_EQ(ReadLink(group + L"\\运行.lnk").target, target_);

  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current), group);
}

TEST_F(ShortcutsTest, GroupThatCannotBeEnteredIsAnIoErrorNamingIt) {
  try {
    setup::CreateProgramsShortcut("bad|group", Gbk(target_), "app", "");
    ADD_FAILURE() << "no error";
  } catch (const setup::Error& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("I/O error"), std::string::npos) << message;
    EXPECT_NE(message.find(win::Utf8FromWide(programs_) + "\\bad|group"), std::string::npos) << message;
  }
  EXPECT_EQ(Names(programs_), L"");
}

TEST(ShortcutsCom, InitialisationIsBalancedAndAFailedOneDoesNothing) {
  ScratchFolder scratch(L"com");
  const std::string folder = Gbk(scratch.path());
  const std::string target = folder + "\\app.exe";
  HRESULT afterwards = E_FAIL;
  // A thread without COM: the shortcut is written and COM is left as found.
  std::thread([&] {
    setup::CreateShortcutFile(target, "sta", folder, "");
    afterwards = CoInitialize(nullptr);
    if (SUCCEEDED(afterwards)) CoUninitialize();
  }).join();
  EXPECT_EQ(afterwards, S_OK);
  // A multithreaded apartment refuses CoInitialize: nothing happens.
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_NO_THROW(setup::CreateShortcutFile(target, "mta", folder, ""));
    CoUninitialize();
  }).join();
  EXPECT_EQ(Names(scratch.path()), L"sta.lnk");
}

}  // namespace
