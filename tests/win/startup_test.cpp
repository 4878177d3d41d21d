// Start-up of the main window against a real registry and file system: the
// lookup of an earlier installation, the initial folder, the two questions,
// the "tmp.cx" passage and the start-up errors. The questions are answered
// through the application's message-box hook.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "app/main_form.h"
#include "package/package_builder.h"
#include "package/package_resources.h"
#include "tests/support/installer_builder.h"
#include "tests/support/test_paths.h"
#include "ui/application.h"
#include "win/text.h"

namespace {

using testing_support::Bytes;
using testing_support::EnvVar;
using testing_support::ScratchFolder;

constexpr char kReinstallPrompt[] = "   青岚提示：青岚星软件已经安装,覆盖原来以前的吗？        ";
constexpr char kDamagedPrompt[] = "   青岚提示：文件资源校核不完整,继续吗？      ";
const std::wstring kProductKey = L"Software\\TestVendor\\TAVRO-X";

struct Prompt {
  std::wstring text, caption;
  UINT flags;
};

void DeleteVendorKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TestVendor"); }

void CreateProductKey() {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (key) RegCloseKey(key);
}

void SetDword(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), name, REG_DWORD, &value, sizeof value);
}

void SetString(const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteVendorKey();
    exeFolder_ = folder_.path() + L"\\";
    Restart();
  }

  void TearDown() override {
    Release();
    DeleteVendorKey();
  }

  // A new application and no window: as a fresh run of the installer.
  void Restart() {
    Release();
    app_ = std::make_unique<ui::Application>();
    app_->Initialize();
    app_->SetMessageBoxHook([this](const std::wstring& text, const std::wstring& caption, UINT flags) {
      prompts_.push_back({text, caption, flags});
      if (answers_.empty()) return IDYES;
      const int answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
    prompts_.clear();
  }

  void Release() {
    form_.reset();
    app_.reset();
    setup::SetPackageSourceForTesting(nullptr, L"");
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }

  // Builds an installer of `package`, reads the package from it as start-up
  // would from its own file, and runs the window's start-up. Returns the
  // error start-up ended with, if any.
  std::string Start(const setup::PackageResources& package) {
    const std::wstring installer = folder_.path() + L"\\setup.exe";
    testing_support::WriteInstaller(installer, package);
    module_ = LoadLibraryExW(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    EXPECT_NE(module_, nullptr);
    setup::SetPackageSourceForTesting(module_, exeFolder_);
    form_ = std::make_unique<TMainForm>();
    try {
      form_->FormCreate();
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }

  std::string StartGood() {
    return Start(setup::BuildPackage(testing_support::SampleRecord(), {Bytes("readme"), Bytes("")}));
  }

  std::string InstallFolder() const { return form_->SetupConfig.InstallFolder(); }

  ScratchFolder folder_{L"startup"};
  std::wstring exeFolder_;
  HMODULE module_ = nullptr;
  std::unique_ptr<ui::Application> app_;
  std::unique_ptr<TMainForm> form_;
  std::vector<Prompt> prompts_;
  std::deque<int> answers_;
};

// The drive this prefix gives the default folder: the test runs once
// without a drive D: and once with one (EXPECT_DRIVE_D=1).
std::string DefaultRoot() { return EnvVar(L"EXPECT_DRIVE_D") == L"1" ? "D:\\" : "C:\\"; }

TEST_F(StartupTest, FirstInstallationUsesTheDefaultFolderAndLeavesAnEmptyProductKey) {
  ASSERT_EQ(StartGood(), "");
  EXPECT_TRUE(prompts_.empty());
  EXPECT_FALSE(form_->PreviousInstall);
  EXPECT_EQ(form_->LabelPF.Text(), DefaultRoot());
  EXPECT_EQ(InstallFolder(), DefaultRoot() + "TAVRO-X");
  EXPECT_EQ(form_->VendorKeyPath, "\\Software\\TestVendor");
  EXPECT_EQ(form_->ProductKeyPath, "\\Software\\TestVendor\\TAVRO-X");
  EXPECT_EQ(app_->Title(), "TAVRO-X 安装向导");
  ASSERT_NE(form_->SetupPayload, nullptr);
  EXPECT_EQ(form_->SetupPayload->size(), 6u);
  EXPECT_TRUE(form_->PackageReady);
  EXPECT_EQ(form_->PageCtl.ActivePage(), 0);
  EXPECT_FALSE(app_->Terminated());
  EXPECT_FALSE(FileExists(exeFolder_ + L"tmp.cx"));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD values = 99;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  EXPECT_EQ(values, 0u);
}

TEST_F(StartupTest, EarlierInstallationDecidesPromptAndFolder) {
  ScratchFolder stored(L"stored");
  const std::string storedGbk = win::GbkFromWide(stored.path());
  // A folder whose path is longer than the 128 bytes the record holds.
  const std::wstring longFolder = stored.path() + L"\\" + std::wstring(140, L'x');
  ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));

  struct Case {
    const char* what;
    std::function<void()> registry;
    bool prompt;
    std::string folder;  // empty: the default folder
  };
  const std::vector<Case> cases = {
      {"Setup 1, valid Folder", [&] { SetDword(L"Setup", 1); SetString(L"Folder", stored.path()); }, true, storedGbk},
      {"Setup 0, valid Folder", [&] { SetDword(L"Setup", 0); SetString(L"Folder", stored.path()); }, false, storedGbk},
      {"no Setup: the lookup stops there", [&] { SetString(L"Folder", stored.path()); }, false, ""},
      {"Setup of another type", [&] { SetString(L"Setup", L"1"); SetString(L"Folder", stored.path()); }, false, ""},
      {"Folder of 3 bytes", [&] { SetDword(L"Setup", 1); SetString(L"Folder", L"C:\\"); }, true, ""},
      {"Folder no longer there", [&] { SetDword(L"Setup", 1); SetString(L"Folder", stored.path() + L"\\gone"); },
       true, ""},
      {"Folder of another type ends the lookup after Setup",
       [&] { SetDword(L"Setup", 1); SetDword(L"Folder", 5); }, true, ""},
      {"Folder over 128 bytes", [&] { SetDword(L"Setup", 1); SetString(L"Folder", longFolder); }, true,
       win::GbkFromWide(longFolder).substr(0, 128)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteVendorKey();
    CreateProductKey();
    c.registry();
    Restart();
    ASSERT_EQ(StartGood(), "");
    EXPECT_EQ(InstallFolder(), c.folder.empty() ? DefaultRoot() + "TAVRO-X" : c.folder);
    ASSERT_EQ(prompts_.size(), c.prompt ? 1u : 0u);
    if (c.prompt) {
      EXPECT_EQ(prompts_[0].text, win::WideFromGbk(kReinstallPrompt));
      EXPECT_EQ(prompts_[0].caption, L" TAVRO");
      EXPECT_EQ(prompts_[0].flags, 36u);
    }
  }
}

TEST_F(StartupTest, NoToTheReinstallPromptEndsBeforeThePackageIsLoaded) {
  CreateProductKey();
  SetDword(L"Setup", 1);
  answers_ = {IDNO};
  ASSERT_EQ(StartGood(), "");
  EXPECT_TRUE(app_->Terminated());
  EXPECT_EQ(form_->SetupPayload, nullptr);
  EXPECT_FALSE(form_->PackageReady);
}

TEST_F(StartupTest, DamagedPackageAsksWhetherToGoOn) {
  // A payload whose sum is off, and a record whose file reaches past the
  // payload although the sum is right: both are the same damage to a user.
  setup::PackageResources wrongSum = setup::BuildPackage(testing_support::SampleRecord(), {Bytes("abc")});
  wrongSum.setupPack = setup::DeflateFramed(Bytes("abd"));
  setup::SetupConfig pastTheEnd = testing_support::SampleRecord();
  pastTheEnd.SetFile(0, {"\\a.txt", 0, 1, 0, 10});
  pastTheEnd.SetInt(setup::field::kFileCount, 1);
  pastTheEnd.SetInt(setup::field::kPackChecksum, 'a' + 'b' + 'c');
  const setup::PackageResources outside = setup::FramePackage(pastTheEnd, Bytes("abc"));

  for (const auto& package : {wrongSum, outside}) {
    for (const int answer : {IDNO, IDYES}) {
      SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
      Restart();
      answers_ = {answer};
      ASSERT_EQ(Start(package), "");
      ASSERT_EQ(prompts_.size(), 1u);
      EXPECT_EQ(prompts_[0].text, win::WideFromGbk(kDamagedPrompt));
      EXPECT_EQ(prompts_[0].flags, 36u);
      EXPECT_EQ(app_->Terminated(), answer == IDNO);
      EXPECT_EQ(form_->PackageReady, answer == IDYES);
      EXPECT_NE(form_->SetupPayload, nullptr);
    }
  }
}

TEST_F(StartupTest, AnOldTmpCxIsReplacedAndNoneRemains) {
  testing_support::WriteFileBytes(exeFolder_ + L"tmp.cx", "left over from an earlier run");
  ASSERT_EQ(StartGood(), "");
  EXPECT_EQ(form_->SetupConfig.ProductName(), "TAVRO-X");
  EXPECT_FALSE(FileExists(exeFolder_ + L"tmp.cx"));
}

TEST_F(StartupTest, TmpCxThatCannotBeCreatedIsReportedAndBlocksInstalling) {
  ASSERT_TRUE(CreateDirectoryW((exeFolder_ + L"tmp.cx").c_str(), nullptr));
  const std::string error = StartGood();
  EXPECT_NE(error.find("Cannot create file"), std::string::npos) << error;
  EXPECT_NE(error.find(win::Utf8FromWide(exeFolder_ + L"tmp.cx")), std::string::npos) << error;
  EXPECT_EQ(form_->SetupConfig.ProductName(), "");
  EXPECT_EQ(form_->SetupPayload, nullptr);

  // The window still opens; the engine never runs: the ready page's Next
  // reports the start-up error again and stays.
  form_->PageCtl.SetActivePage(3);
  app_->Guard([&] { form_->NextBtClick(); });  // as the button's window procedure does
  ASSERT_FALSE(prompts_.empty());
  EXPECT_NE(win::Utf8FromWide(prompts_.back().text).find("tmp.cx"), std::string::npos);
  EXPECT_EQ(form_->PageCtl.ActivePage(), 3);
  EXPECT_FALSE(form_->InstallInProgress);
}

TEST_F(StartupTest, DamagedRecordBlockIsReportedAndTheFileStaysBehind) {
  setup::PackageResources package = setup::BuildPackage(testing_support::SampleRecord(), {});
  package.setupIni.resize(package.setupIni.size() / 2);
  const std::string error = Start(package);
  EXPECT_NE(error.find("Read error"), std::string::npos) << error;
  EXPECT_TRUE(FileExists(exeFolder_ + L"tmp.cx"));
  EXPECT_FALSE(form_->PackageReady);
}

TEST_F(StartupTest, ShortRecordFillsOnlyTheStart) {
  const setup::SetupConfig full = testing_support::SampleRecord();
  setup::PackageResources package = setup::BuildPackage(full, {Bytes("x")});
  // Only the first 700 bytes: the names up to ProductName, not FolderName.
  const auto record = full.bytes().subspan(0, 700);
  package.setupIni = setup::DeflateFramed(record);
  Start(package);
  EXPECT_EQ(form_->SetupConfig.ProductName(), "TAVRO-X");
  EXPECT_EQ(form_->SetupConfig.FolderName(), "");
}

TEST_F(StartupTest, InstallerInADriveRootUsesTheRootForTmpCx) {
  if (EnvVar(L"EXPECT_DRIVE_D") != L"1") GTEST_SKIP() << "needs the run with a drive D:";
  exeFolder_ = L"D:\\";
  ASSERT_EQ(StartGood(), "");
  EXPECT_EQ(form_->SetupConfig.ProductName(), "TAVRO-X");
  EXPECT_FALSE(FileExists(L"D:\\tmp.cx"));
}

}  // namespace
