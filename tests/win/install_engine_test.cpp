// The installation engine against a real install folder, registry and
// shell folders of the test prefix, with a recording stand-in for the
// copying page.
#include "app/install_engine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "base/error.h"
#include "package/framing.h"
#include "package/package_builder.h"
#include "package/package_resources.h"
#include "tests/support/installer_builder.h"
#include "tests/support/shell_checks.h"
#include "tests/support/test_paths.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using testing_support::Bytes;
using testing_support::Names;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TAVRO-X";

// What the engine showed on the copying page.
struct RecordingView : setup::InstallView {
  std::vector<std::string> workTexts, fileNames, errors;
  std::vector<int> progress;
  bool fileNameHidden = false;
  void SetWorkText(const std::string& t) override { workTexts.push_back(t); }
  void ShowFileName(const std::string& t) override { fileNames.push_back(t); }
  void HideFileName() override { fileNameHidden = true; }
  void SetProgress(int p) override { progress.push_back(p); }
  void ReportFileError(const std::string& t) override { errors.push_back(t); }
};

std::wstring ReadRegString(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"<none>";
  return text;
}

DWORD ReadRegDword(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0xDEAD, size = sizeof value;
  RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class InstallEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.ok());
    for (const auto& f : {desktop_, programs_}) CreateDirectoryW(f.c_str(), nullptr);
    testing_support::MoveShellFolders(desktop_, programs_);
    CleanRegistry();
    // The folder page has made the install folder before the engine runs.
    ASSERT_TRUE(CreateDirectoryW(target_.c_str(), nullptr));
    record_.SetText(setup::field::kInstallFolder, win::GbkFromWide(target_));
  }

  void TearDown() override {
    setup::SetPackageSourceForTesting(nullptr, L"");
    if (module_) FreeLibrary(module_);
    CleanRegistry();
  }

  static void CleanRegistry() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TestVendor");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TestExtra");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TestExtra");
  }

  // Packs `files` into an installer whose SETUPINI the engine copies to
  // "G_ls.cx", then runs the engine on the inflated payload.
  void Install(const std::vector<std::vector<uint8_t>>& files) {
    package_ = setup::BuildPackage(record_, files);
    Run(package_);
  }

  // Runs the engine on a package as it is, damaged or not.
  void Run(const setup::PackageResources& package) {
    package_ = package;
    setup::SetPackageSourceForTesting(nullptr, L"");
    if (module_) FreeLibrary(module_);
    const std::wstring installer = scratch_.path() + L"\\setup.exe";
    testing_support::WriteInstaller(installer, package);
    module_ = LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
    setup::SetPackageSourceForTesting(module_, scratch_.path() + L"\\");
    config_ = setup::SetupConfig();
    const setup::ByteBuffer record = setup::InflateFramed(package.setupIni);
    std::copy_n(record.data(), setup::kConfigSize, config_.bytes().begin());
    payload_ = setup::InflateFramed(package.setupPack);
    setup::InstallProduct({config_, payload_.span(), "\\Software\\TestVendor", "\\Software\\TestVendor\\TAVRO-X"},
                          view_);
  }

  void AddFile(int index, const std::string& relPath) { record_.SetFile(index, {relPath, 0, 1, 0, 0}); }

  win::ComInit com_;
  ScratchFolder scratch_{L"engine"};
  const std::wstring desktop_ = scratch_.path() + L"\\桌面";
  const std::wstring programs_ = scratch_.path() + L"\\程序";
  const std::wstring target_ = scratch_.path() + L"\\安装 目标";
  const std::wstring group_ = programs_ + L"\\TAVRO-X";
  setup::SetupConfig record_ = testing_support::SampleRecord();
  setup::PackageResources package_;
  setup::SetupConfig config_;
  setup::ByteBuffer payload_;
  HMODULE module_ = nullptr;
  RecordingView view_;
};

TEST_F(InstallEngineTest, InstallsTheDemoShapedProduct) {
  const char* paths[] = {"\\TAVRO-X.exe", "\\License.txt", "\\Skins\\Default\\默认.skin", "\\Readme.txt", "\\Uninstall.exe",
                         "\\TAVRO-X.url"};
  std::vector<std::vector<uint8_t>> files;
  for (int i = 0; i < 6; ++i) {
    AddFile(i, paths[i]);
    files.push_back(Bytes(std::string("content of file ") + std::to_string(i)));
  }
  record_.SetShortcut(0, {"TAVRO-X", 0, 0, ""});
  record_.SetShortcut(1, {"TAVRO-X", 0, 1, ""});
  record_.SetShortcut(2, {"License", 1, 1, ""});
  record_.SetShortcut(3, {"Readme", 3, 1, "/page 2"});
  record_.SetShortcut(4, {"快捷名称", 0, 2, ""});  // beyond the count
  record_.SetInt(setup::field::kShortcutCount, 4);
  Install(files);

  EXPECT_EQ(view_.progress, (std::vector<int>{0, 16, 33, 50, 66, 83}));
  EXPECT_EQ(view_.workTexts, (std::vector<std::string>{"正在复制文件...", "正在注册相关信息...", "正在创建快捷方式..."}));
  EXPECT_TRUE(view_.fileNameHidden);
  EXPECT_TRUE(view_.errors.empty());
  ASSERT_EQ(view_.fileNames.size(), 6u);
  EXPECT_EQ(view_.fileNames[2], "C:\\...\\默认.skin");  // the path shortened for the page

  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ReadFileBytes(target_ + win::WideFromGbk(paths[i])), "content of file " + std::to_string(i));
  }
  const std::string gls = ReadFileBytes(target_ + L"\\G_ls.cx");
  EXPECT_EQ(gls, std::string(package_.setupIni.begin(), package_.setupIni.end()));

  const std::wstring vendor = L"Software\\TestVendor";
  const std::wstring product = vendor + L"\\TAVRO-X";
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, vendor, L"Site"), L"http://www.example.com/");
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, vendor, L"Author"), L"TestVendor");
  EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, product, L"Setup"), 1u);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, product, L"Version"), L"V18.5");
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, product, L"Folder"), target_);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, product, L"Date"), L"20040201");  // the record's, not today's
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"TAVRO-X");
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
            L"\"" + target_ + L"\\uninstall.exe\"");

  EXPECT_EQ(Names(desktop_), L"TAVRO-X.lnk");
  EXPECT_EQ(Names(group_), L"License.lnk|Readme.lnk|TAVRO-X.lnk|卸载TAVRO-X.lnk");
  const testing_support::Link readme = testing_support::ReadLink(group_ + L"\\Readme.lnk");
  EXPECT_EQ(readme.target, target_ + L"\\Readme.txt");
  EXPECT_EQ(readme.arguments, L"/page 2");
  EXPECT_EQ(readme.workingDirectory, target_ + L"\\");
  EXPECT_EQ(readme.iconPath, target_ + L"\\Readme.txt");
  EXPECT_EQ(readme.iconIndex, 0);
  EXPECT_EQ(testing_support::ReadLink(group_ + L"\\卸载TAVRO-X.lnk").target, target_ + L"\\uninstall.exe");
}

TEST_F(InstallEngineTest, NoFilesStillWritesRecordRegistryAndUninstallShortcut) {
  Install({});
  EXPECT_TRUE(view_.progress.empty());
  EXPECT_TRUE(Exists(target_ + L"\\G_ls.cx"));
  EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, L"Software\\TestVendor\\TAVRO-X", L"Setup"), 1u);
  EXPECT_EQ(Names(desktop_), L"");
  EXPECT_EQ(Names(group_), L"卸载TAVRO-X.lnk");
}

TEST_F(InstallEngineTest, WildcardEntriesAreSkippedWithoutATrace) {
  AddFile(0, "\\a.txt");
  AddFile(1, "\\sub\\*.txt");
  AddFile(2, "\\b.txt");
  AddFile(3, "\\empty.dat");
  Install({Bytes("a"), Bytes("wild"), Bytes("b"), {}});
  EXPECT_EQ(view_.progress, (std::vector<int>{0, 50, 75}));  // nothing for entry 1
  EXPECT_FALSE(Exists(target_ + L"\\sub"));
  EXPECT_EQ(ReadFileBytes(target_ + L"\\b.txt"), "b");
  EXPECT_TRUE(Exists(target_ + L"\\empty.dat"));
  EXPECT_EQ(ReadFileBytes(target_ + L"\\empty.dat"), "");
}

TEST_F(InstallEngineTest, ExistingFilesAreReplacedAndReadOnlyOnesReported) {
  AddFile(0, "\\old.txt");
  AddFile(1, "\\locked.txt");
  AddFile(2, "\\after.txt");
  testing_support::WriteFileBytes(target_ + L"\\old.txt", "old contents, longer than the new");
  testing_support::WriteFileBytes(target_ + L"\\locked.txt", "kept");
  SetFileAttributesW((target_ + L"\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  Install({Bytes("new"), Bytes("never written"), Bytes("after")});

  EXPECT_EQ(ReadFileBytes(target_ + L"\\old.txt"), "new");
  EXPECT_EQ(ReadFileBytes(target_ + L"\\locked.txt"), "kept");
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_EQ(view_.errors[0], std::string("安装下列文件时发生错误，\r\n建议重新启动后再次安装!\r\n") +
                                 win::GbkFromWide(target_ + L"\\locked.txt"));
  EXPECT_EQ(view_.progress, (std::vector<int>{0, 33, 66}));  // the run went on
  EXPECT_EQ(ReadFileBytes(target_ + L"\\after.txt"), "after");
}

TEST_F(InstallEngineTest, GbkNamesBecomeTheRightUnicodeNames) {
  AddFile(0, "\\文档\\说明 书.txt");
  record_.SetText(setup::field::kProductName, "青岚星");
  record_.SetShortcut(0, {"运行 青岚星", 0, 2, ""});
  record_.SetInt(setup::field::kShortcutCount, 1);
  Install({Bytes("说明")});
  EXPECT_EQ(ReadFileBytes(target_ + L"\\文档\\说明 书.txt"), "说明");
  EXPECT_EQ(Names(programs_ + L"\\青岚星"), L"卸载青岚星.lnk|运行 青岚星.lnk");
  EXPECT_EQ(Names(desktop_), L"运行 青岚星.lnk");
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\青岚星", L"DisplayName"),
            L"青岚星");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\青岚星");
}

TEST_F(InstallEngineTest, ExtraRegistryValuesEachFromTheirOwnRoot) {
  const setup::SetupRegValueEntry entries[] = {
      {"Flag", 0, "\\Software\\TestExtra\\A", 0, 1, "", 0},
      {"Name", 1, "\\Software\\TestExtra\\B", 1, 0, "青岚星", 0},
      {"Count", 0, "Software\\TestExtra\\C", 2, 0, "", -7},  // no backslash: still from the root
      {"Nothing", 0, "\\Software\\TestExtra\\D", 3, 0, "", 0},
      {"Bad", 0, "\\Software\\TestExtra\\E", 2, 0, "", 1},
  };
  for (int i = 0; i < 5; ++i) record_.SetRegValue(i, entries[i]);
  record_.SetInt(setup::field::kRegValueCount, 4);  // the fifth is beyond the count
  Install({});
  EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, L"Software\\TestExtra\\A", L"Flag"), 1u);
  EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, L"Software\\TestExtra\\B", L"Name"), L"青岚星");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\TestExtra\\B"));
  EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, L"Software\\TestExtra\\C", L"Count"), static_cast<DWORD>(-7));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\TestExtra\\D"));
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, L"Software\\TestExtra\\D", L"Nothing"), L"<none>");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\TestExtra\\E"));
}

TEST_F(InstallEngineTest, DamagedRecordNeverReadsOutsideThePayload) {
  // Accepted by the user at start-up: one file reaching past the payload,
  // one shortcut to a file beyond the table.
  setup::SetupConfig c = record_;
  c.SetFile(0, {"\\good.txt", 0, 1, 0, 4});
  c.SetFile(1, {"\\past.txt", 0, 1, 2, 100});
  c.SetInt(setup::field::kFileCount, 2);
  c.SetShortcut(0, {"Good", 0, 1, ""});
  c.SetShortcut(1, {"Beyond", 7, 1, ""});
  c.SetInt(setup::field::kShortcutCount, 2);
  Run(setup::FramePackage(c, Bytes("good")));
  EXPECT_EQ(ReadFileBytes(target_ + L"\\good.txt"), "good");
  EXPECT_FALSE(Exists(target_ + L"\\past.txt"));
  ASSERT_EQ(view_.errors.size(), 1u);
  EXPECT_NE(view_.errors[0].find("past.txt"), std::string::npos);
  EXPECT_EQ(Names(group_), L"Good.lnk|卸载TAVRO-X.lnk");
}

TEST_F(InstallEngineTest, ErrorsThatEndTheRunEscape) {
  // "G_ls.cx" cannot be written: the registry is never reached.
  ASSERT_TRUE(CreateDirectoryW((target_ + L"\\G_ls.cx").c_str(), nullptr));
  EXPECT_THROW(Install({}), setup::Error);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\TestVendor"));
  RemoveDirectoryW((target_ + L"\\G_ls.cx").c_str());

  // A group folder that cannot be made (a name no folder may have).
  record_.SetText(setup::field::kProductName, "TAVRO|X");
  view_ = RecordingView();
  try {
    Install({});
    ADD_FAILURE() << "no error";
  } catch (const setup::Error& e) {
    EXPECT_NE(std::string(e.what()).find("TAVRO|X"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, L"Software\\TestVendor\\TAVRO-X", L"Setup"), 1u);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TAVRO|X");
}

}  // namespace
