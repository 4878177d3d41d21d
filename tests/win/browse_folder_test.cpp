// The shell's folder browser, driven from a second thread the way a user
// would: it waits for the dialog, clicks the folder at the top of its tree
// and presses OK or Cancel. The folder chosen is the dialog's root: the
// application-data folder, moved for the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "app/folder_rules.h"
#include "shell/folders.h"
#include "tests/support/test_paths.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using testing_support::ScratchFolder;

struct Search {
  HWND dialog = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (pid == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    reinterpret_cast<Search*>(param)->dialog = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTitle(HWND child, LPARAM param) {
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  if (win::WideFromGbk(setup::kBrowseFolderTitle) == text) *reinterpret_cast<bool*>(param) = true;
  return TRUE;
}

// Runs BrowseForFolder rooted at `root` while another thread waits for its
// dialog to fill its tree, chooses the root folder and presses `button`.
// Returns what BrowseForFolder returned; `titleShown` tells whether the
// dialog showed the folder page's title.
std::string Browse(int root, int button, bool* titleShown = nullptr) {
  std::thread user([&] {
    Search search;
    for (const DWORD deadline = GetTickCount() + 30000; GetTickCount() < deadline; Sleep(50)) {
      if (!search.dialog) EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
      // The dialog can be visible before its tree is made and filled.
      const HWND tree = search.dialog ? FindWindowExW(search.dialog, nullptr, WC_TREEVIEWW, nullptr) : nullptr;
      if (tree && SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 0) {
        // Click the root: the dialog starts with nothing chosen.
        const LPARAM rootItem = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, rootItem);
        break;
      }
    }
    if (!search.dialog) return;
    if (titleShown) EnumChildWindows(search.dialog, FindTitle, reinterpret_cast<LPARAM>(titleShown));
    PostMessageW(search.dialog, WM_COMMAND, button, 0);
  });
  const std::string chosen = setup::BrowseForFolder(root, setup::kBrowseFolderTitle);
  user.join();
  return chosen;
}

// The application-data folder of the current user, moved for one test: the
// shell takes it from "User Shell Folders" each time it is asked.
class AppDataFolder {
 public:
  explicit AppDataFolder(const std::wstring& path) {
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"AppData", RRF_RT_ANY | RRF_NOEXPAND, &type_, buffer, &size) ==
        ERROR_SUCCESS) {
      saved_.assign(reinterpret_cast<const char*>(buffer), size);
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"AppData", REG_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }
  AppDataFolder(const AppDataFolder&) = delete;
  AppDataFolder& operator=(const AppDataFolder&) = delete;
  ~AppDataFolder() {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"AppData", type_, saved_.data(), static_cast<DWORD>(saved_.size()));
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  std::string saved_;
  DWORD type_ = REG_EXPAND_SZ;
};

class BrowseForFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(com_.ok()); }

  win::ComInit com_;
  ScratchFolder scratch_{L"browse"};
};

TEST_F(BrowseForFolderTest, ChosenFolderComesBackAsGbkPathUnderTheTitle) {
  const std::wstring folder = scratch_.path() + L"\\青岚星";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const AppDataFolder appData(folder);
  bool titleShown = false;
  EXPECT_EQ(Browse(CSIDL_APPDATA, IDOK, &titleShown), win::GbkFromWide(folder));
  EXPECT_TRUE(titleShown);
}

TEST_F(BrowseForFolderTest, DriveRootKeepsItsBackslash) {
  const AppDataFolder appData(L"C:\\");
  EXPECT_EQ(Browse(CSIDL_APPDATA, IDOK), "C:\\");
}

TEST_F(BrowseForFolderTest, FolderWithoutAGbkPathIsNoPath) {
  const std::wstring folder = scratch_.path() + L"\\\u0E01\u0E02";  // Thai letters
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const AppDataFolder appData(folder);
  EXPECT_EQ(Browse(CSIDL_APPDATA, IDOK), "");
  EXPECT_EQ(Browse(CSIDL_DRIVES, IDOK), "");  // "My Computer" has no path at all
}

TEST_F(BrowseForFolderTest, CancelGivesNothing) {
  EXPECT_EQ(Browse(CSIDL_DESKTOP, IDCANCEL), "");
}

}  // namespace
