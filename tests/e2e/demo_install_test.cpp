// The demo product installed through its wizard: the real demo installer,
// started under Wine, its window checked against the layout, all six pages
// walked with the UI driver (screenshots kept), then everything it left on
// the machine checked against its own package.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

#include "package/framing.h"
#include "package/setup_config.h"
#include "tests/support/shell_checks.h"
#include "tests/support/test_paths.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wizard_walk.h"
#include "tools/mksetup/pe_resources.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using namespace testing_support;

std::wstring DemoInstaller() { return WinPathFromUnix(win::Utf8FromWide(EnvVar(L"DEMO_SETUP"))); }

std::vector<uint8_t> Resource(const std::string& image, const char* name) {
  const auto bytes = setup::FindRcdataResource(
      std::span(reinterpret_cast<const uint8_t*>(image.data()), image.size()), name);
  if (!bytes) throw std::runtime_error(std::string("no resource ") + name);
  return *bytes;
}

std::wstring RegString(const std::wstring& key, const wchar_t* name) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return L"<none>";
  }
  return text;
}

// Where each control of the window must be: parent, left, top, width and
// height (0: sized to its text), and whether it shows on page 0.
struct Placement {
  const char* name;
  const char* parent;
  int left, top, width, height;
  bool shownAtStart;
};

const Placement kLayout[] = {
    {"Panel1", "TMainForm", 0, 0, 537, 81, true},
    {"PageCtl", "TMainForm", 1, 60, 526, 181, true},
    {"Bevel1", "TMainForm", 133, 244, 379, 2, true},
    {"suiButton1", "TMainForm", 216, 250, 91, 30, false},
    {"suiButton2", "TMainForm", 320, 250, 89, 30, true},
    {"suiButton3", "TMainForm", 424, 250, 91, 30, true},
    {"suiButton4", "TMainForm", 320, 250, 91, 30, false},
    {"Button1", "TMainForm", 8, 256, 75, 25, false},
    {"Button2", "TMainForm", 72, 256, 75, 25, false},
    {"BPing", "TMainForm", 152, 256, 49, 25, false},
    {"Label1", "TMainForm", 24, 236, 0, 0, true},
    {"Label8", "Panel1", 16, 16, 0, 0, true},
    {"Label12", "Panel1", 16, 49, 0, 0, true},
    {"Label20", "Panel1", 400, 16, 0, 0, true},
    {"Label10", "Sheet0", 168, 76, 0, 0, true},
    {"Label11", "Sheet0", 168, 100, 0, 0, true},
    {"Label9", "Sheet0", 168, 124, 0, 0, true},
    {"NameLb", "Sheet0", 230, 76, 138, 0, true},
    {"VerLb", "Sheet0", 230, 100, 48, 0, true},
    {"IntroLb", "Sheet0", 230, 124, 245, 80, true},
    {"Label7", "Sheet0", 335, 20, 0, 0, true},
    {"Image2", "Sheet1", 208, 40, 217, 89, false},
    {"Label19", "Sheet1", 154, 152, 0, 0, false},
    {"suiURLLabel1", "Sheet1", 192, 152, 0, 0, false},
    {"Label21", "Sheet1", 290, 152, 0, 0, false},
    {"Label16", "Sheet2", 184, 86, 243, 0, false},
    {"FolderEd", "Sheet2", 184, 108, 226, 23, false},
    {"suiImageButton1", "Sheet2", 410, 109, 39, 25, false},
    {"LabelPF", "Sheet2", 8, 40, 0, 0, false},
    {"Label2", "Sheet3", 184, 88, 0, 0, false},
    {"Label17", "Sheet3", 184, 112, 0, 0, false},
    {"FolderLb", "Sheet3", 264, 112, 117, 0, false},
    {"WorkLb", "Sheet4", 200, 52, 75, 0, false},
    {"FNameLb", "Sheet4", 200, 76, 75, 0, false},
    {"CopyProgress", "Sheet4", 200, 104, 300, 18, false},
    {"Image3", "Sheet5", 136, 81, 57, 56, false},
    {"Label4", "Sheet5", 200, 84, 76, 0, false},
    {"Label6", "Sheet5", 200, 108, 245, 0, false},
    {"StartProgramCb", "Sheet5", 368, 24, 241, 17, false},
};

class DemoInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.ok());
    for (const auto& f : {desktop_, programs_}) CreateDirectoryW(f.c_str(), nullptr);
    MoveShellFolders(desktop_, programs_);
    installer_ = run_.path() + L"\\demo-setup.exe";
    ASSERT_TRUE(CopyFileW(DemoInstaller().c_str(), installer_.c_str(), FALSE)) << win::Utf8FromWide(DemoInstaller());
  }

  win::ComInit com_;
  ScratchFolder run_{L"demo"};
  const std::wstring desktop_ = run_.path() + L"\\桌面";
  const std::wstring programs_ = run_.path() + L"\\程序";
  std::wstring installer_;
};

TEST_F(DemoInstallTest, WindowMatchesTheLayoutThenTheWalkInstallsEverything) {
  Process wizard = Process::Start(installer_, {}, run_.path());
  HWND main = WaitForTopLevelWindow(wizard.pid(), kWizardWindowClass);
  WaitForPage(main, 0);

  // The window: borderless, 537 x 297, every control where the layout puts it.
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 537);
  EXPECT_EQ(client.bottom, 297);
  EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  std::map<std::string, ControlInfo> controls;
  for (const ControlInfo& c : Snapshot(main)) controls[c.name] = c;
  for (const Placement& p : kLayout) {
    SCOPED_TRACE(p.name);
    ASSERT_TRUE(controls.count(p.name));
    const ControlInfo& c = controls[p.name];
    EXPECT_EQ(c.parentName, p.parent);
    EXPECT_EQ(c.rect.left, p.left);
    EXPECT_EQ(c.rect.top, p.top);
    if (p.width) EXPECT_EQ(c.rect.right - c.rect.left, p.width);
    if (p.height) EXPECT_EQ(c.rect.bottom - c.rect.top, p.height);
    EXPECT_EQ(c.shown, p.shownAtStart);
  }
  EXPECT_EQ(Text(Control(main, "NameLb")), L"TAVRO-X");
  EXPECT_EQ(Text(Control(main, "VerLb")), L"V18.5");
  EXPECT_EQ(Text(main), L"TAVRO-X安装向导");
  std::cout << FormatSnapshot(Snapshot(main));

  // The walk, into a folder with a blank and Chinese in its name.
  const std::wstring folder = L"C:\\Program Files\\青岚 TAVRO-X";
  WalkOptions options;
  options.screenshotFolder = EnvVar(L"ARTIFACT_DIR");
  options.installFolder = folder;
  EXPECT_EQ(WalkWizard(main, options, std::cout), 0u);

  // What the installer carried: its record and its files.
  const std::string image = ReadFileBytes(installer_);
  const std::vector<uint8_t> setupIni = Resource(image, "SETUPINI");
  setup::SetupConfig record;
  const setup::ByteBuffer recordBytes = setup::InflateFramed(setupIni);
  std::copy_n(recordBytes.data(), setup::kConfigSize, record.bytes().begin());
  const setup::ByteBuffer payload = setup::InflateFramed(Resource(image, "SETUPPACK"));
  ASSERT_EQ(record.FileCount(), 6);

  // Every file with its bytes, and the record's copy beside them.
  for (int i = 0; i < record.FileCount(); ++i) {
    const setup::SetupFileEntry e = record.File(i);
    SCOPED_TRACE(e.relPath);
    const std::string expected(reinterpret_cast<const char*>(payload.data()) + e.offset, static_cast<size_t>(e.size));
    EXPECT_EQ(ReadFileBytes(folder + win::WideFromGbk(e.relPath)), expected);
  }
  EXPECT_EQ(ReadFileBytes(folder + L"\\G_ls.cx"), std::string(setupIni.begin(), setupIni.end()));
  EXPECT_EQ(GetFileAttributesW((run_.path() + L"\\tmp.cx").c_str()), INVALID_FILE_ATTRIBUTES);

  // The registry.
  EXPECT_EQ(RegString(L"Software\\Zentak", L"Site"), L"https://www.example.com/");
  EXPECT_EQ(RegString(L"Software\\Zentak", L"Author"), L"Zentak");
  EXPECT_EQ(RegString(L"Software\\Zentak\\TAVRO-X", L"Version"), L"V18.5");
  EXPECT_EQ(RegString(L"Software\\Zentak\\TAVRO-X", L"Folder"), folder);
  EXPECT_EQ(RegString(L"Software\\Zentak\\TAVRO-X", L"Date"), L"20040201");
  DWORD setupValue = 0, size = sizeof setupValue;
  RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Zentak\\TAVRO-X", L"Setup", RRF_RT_REG_DWORD, nullptr, &setupValue,
               &size);
  EXPECT_EQ(setupValue, 1u);
  const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TAVRO-X";
  EXPECT_EQ(RegString(uninstall, L"DisplayName"), L"TAVRO-X");
  EXPECT_EQ(RegString(uninstall, L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");

  // The shortcuts: four of the table and the uninstall one; none for the
  // fifth entry beyond the count ("快捷名称").
  EXPECT_EQ(Names(desktop_), L"TAVRO-X.lnk");
  const std::wstring group = programs_ + L"\\TAVRO-X";
  EXPECT_EQ(Names(group), L"License.lnk|Readme.lnk|TAVRO-X.lnk|卸载TAVRO-X.lnk");
  const Link program = ReadLink(desktop_ + L"\\TAVRO-X.lnk");
  EXPECT_EQ(program.target, folder + L"\\TAVRO-X.exe");
  EXPECT_EQ(program.workingDirectory, folder + L"\\");
  EXPECT_EQ(program.iconPath, folder + L"\\TAVRO-X.exe");
  EXPECT_EQ(ReadLink(group + L"\\License.lnk").target, folder + L"\\License.txt");
  EXPECT_EQ(ReadLink(group + L"\\卸载TAVRO-X.lnk").target, folder + L"\\uninstall.exe");
}

}  // namespace
