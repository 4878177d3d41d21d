// The "Shell Folders" values as the shortcut functions read them: missing,
// empty, naming no folder, of the wrong type. No link is saved in this
// program, so the shell never rewrites the values behind the tests' backs.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "base/error.h"
#include "shell/shortcuts.h"
#include "tests/support/test_paths.h"
#include "win/text.h"

namespace {

using testing_support::ScratchFolder;

// One value of the current user's "Shell Folders" key, put back as it was
// when the guard goes.
class ShellFolderValue {
 public:
  explicit ShellFolderValue(const wchar_t* name) : name_(name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    char buffer[2048];
    DWORD size = sizeof(buffer), type = 0;
    if (RegQueryValueExW(key_, name_, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS) {
      saved_.emplace(buffer, size);
      savedType_ = type;
    }
  }
  ShellFolderValue(const ShellFolderValue&) = delete;
  ShellFolderValue& operator=(const ShellFolderValue&) = delete;
  ~ShellFolderValue() {
    if (saved_) {
      RegSetValueExW(key_, name_, 0, savedType_, reinterpret_cast<const BYTE*>(saved_->data()),
                     static_cast<DWORD>(saved_->size()));
    } else {
      RegDeleteValueW(key_, name_);
    }
    RegCloseKey(key_);
  }
  void SetText(const std::wstring& text, DWORD type = REG_SZ) {
    RegSetValueExW(key_, name_, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(DWORD number) {
    RegSetValueExW(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  }
  void Remove() { RegDeleteValueW(key_, name_); }

 private:
  const wchar_t* name_;
  HKEY key_ = nullptr;
  std::optional<std::string> saved_;
  DWORD savedType_ = REG_SZ;
};

std::string Gbk(const std::wstring& wide) { return win::GbkFromWide(wide); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ShellFoldersTest : public ::testing::Test {
 protected:
  ScratchFolder scratch_{L"folders"};
  const std::string target_ = Gbk(scratch_.path()) + "\\app.exe";
  const std::wstring missing_ = scratch_.path() + L"\\missing";
  ShellFolderValue desktop_{L"Desktop"};
  ShellFolderValue programs_{L"Programs"};
};

TEST_F(ShellFoldersTest, ValuesAreReadAsStored) {
  desktop_.SetText(L"%USERPROFILE%\\桌面", REG_EXPAND_SZ);
  programs_.SetText(L"C:\\开始菜单\\程序");
  EXPECT_EQ(setup::GetDesktopFolder(), "%USERPROFILE%\\桌面");
  EXPECT_EQ(setup::GetProgramsFolder(), "C:\\开始菜单\\程序");
  desktop_.Remove();
  programs_.SetText(L"");
  EXPECT_EQ(setup::GetDesktopFolder(), "");
  EXPECT_EQ(setup::GetProgramsFolder(), "");
}

TEST_F(ShellFoldersTest, NonStringValueIsAnErrorForTheCaller) {
  desktop_.SetNumber(1);
  programs_.SetNumber(1);
  EXPECT_THROW(setup::GetDesktopFolder(), setup::Error);
  EXPECT_THROW(setup::CreateDesktopShortcut(target_, "app", ""), setup::Error);
  EXPECT_THROW(setup::CreateProgramsShortcut("group", target_, "app", ""), setup::Error);
}

TEST_F(ShellFoldersTest, NoDesktopFolderCreatesNothing) {
  struct Case {
    const char* what;
    bool remove;
    std::wstring value;
  } cases[] = {{"removed", true, L""}, {"empty", false, L""}, {"missing folder", false, missing_}};
  for (const Case& c : cases) {
    if (c.remove) {
      desktop_.Remove();
    } else {
      desktop_.SetText(c.value);
    }
    EXPECT_NO_THROW(setup::CreateDesktopShortcut(target_, "app", "")) << c.what;
  }
  EXPECT_FALSE(Exists(missing_));
  EXPECT_FALSE(Exists(missing_ + L"\\app.lnk"));
}

TEST_F(ShellFoldersTest, NoProgramsFolderCreatesNothingNotEvenTheGroup) {
  programs_.SetText(missing_);
  EXPECT_NO_THROW(setup::CreateProgramsShortcut("group", target_, "app", ""));
  EXPECT_FALSE(Exists(missing_));
  programs_.Remove();
  EXPECT_NO_THROW(setup::CreateProgramsShortcut("group", target_, "app", ""));
}

}  // namespace
