// Where the installer file lies: a folder whose name GBK cannot hold, and a
// folder where DLLs named like system DLLs were planted beside it (a
// downloads folder, say).
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>

#include "package/package_builder.h"
#include "tests/support/installer_builder.h"
#include "tests/support/shell_checks.h"
#include "tests/support/test_paths.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wizard_walk.h"
#include "win/text.h"

namespace {

using namespace testing_support;

std::wstring WriteSmallInstaller(const std::wstring& folder) {
  const std::wstring path = folder + L"\\setup.exe";
  setup::SetupConfig record = SampleRecord();
  record.SetFile(0, {"\\Readme.txt", 0, 1, 0, 0});
  WriteInstaller(path, setup::BuildPackage(record, {Bytes("readme")}));
  return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(InstallerFolder, AFolderNameGbkCannotHoldStillWorks) {
  ScratchFolder scratch(L"folder");
  const std::wstring folder = scratch.path() + L"\\Descărcări";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  Process p = Process::Start(WriteSmallInstaller(folder), {}, folder);
  HWND main = WaitForTopLevelWindow(p.pid(), kWizardWindowClass);
  WaitForPage(main, 0);  // no error box came first: "tmp.cx" was written and read there
  EXPECT_EQ(Text(Control(main, "NameLb")), L"TAVRO-X");
  EXPECT_FALSE(Exists(folder + L"\\tmp.cx"));
}

TEST(InstallerFolder, DllsPlantedBesideTheInstallerAreNeverLoaded) {
  ScratchFolder scratch(L"downloads");
  const std::wstring planted = WinPathFromUnix(win::Utf8FromWide(EnvVar(L"PLANTED_DLL")));
  // DLLs the wizard (or the system on its behalf) loads by name while it
  // runs, none of them among the system's known DLLs. (Not version.dll:
  // Wine's own user32 imports it, so it loads before any code of the
  // program runs; on Windows user32 is a known DLL.)
  const wchar_t* names[] = {L"uxtheme.dll", L"msimg32.dll", L"wininet.dll", L"dwmapi.dll"};
  for (const wchar_t* name : names) ASSERT_TRUE(CopyFileW(planted.c_str(), (scratch.path() + L"\\" + name).c_str(), FALSE));
  // A browser that does not exist: finishing with the tutorial ticked makes
  // the wizard load wininet, and then opens nothing.
  const std::wstring command = L"\"C:\\no-such-browser.exe\" \"%1\"";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, L"htmlfile\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  const std::wstring desktop = scratch.path() + L"\\desktop", programs = scratch.path() + L"\\programs";
  CreateDirectoryW(desktop.c_str(), nullptr);
  CreateDirectoryW(programs.c_str(), nullptr);
  MoveShellFolders(desktop, programs);

  // Wine prefers its own copies of these DLLs; ask it to take a DLL of the
  // name from wherever the search finds one first, as Windows does.
  const std::wstring overrides = EnvVar(L"WINEDLLOVERRIDES");
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (overrides + L";uxtheme,msimg32,wininet,dwmapi=n,b").c_str());
  Process p = Process::Start(WriteSmallInstaller(scratch.path()), {}, scratch.path());
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str());
  HWND main = WaitForTopLevelWindow(p.pid(), kWizardWindowClass);
  WalkOptions options;
  options.installFolder = scratch.path() + L"\\installed";
  options.keepTutorialTicked = true;
  EXPECT_EQ(WalkWizard(main, options, std::cout), 0u);
  EXPECT_TRUE(Exists(scratch.path() + L"\\installed\\G_ls.cx"));
  for (const wchar_t* name : names) {
    EXPECT_FALSE(Exists(scratch.path() + L"\\" + name + L".loaded")) << win::Utf8FromWide(name) << " was loaded";
  }
}

}  // namespace
