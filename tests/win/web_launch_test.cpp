// Web launching against a stand-in browser registered for HTML files in the
// test prefix: it records the command line it is started with.
#include "app/web_launch.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <vector>

#include "app/web_address.h"
#include "tests/support/process_checks.h"
#include "tests/support/test_paths.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using testing_support::LaunchCounter;
using testing_support::ScratchFolder;

constexpr wchar_t kCommandKey[] = L"htmlfile\\shell\\open\\command";
constexpr char kSite[] = "http://www.example.com/";

std::wstring BesideThisProgram(const std::wstring& name) {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.rfind(L'\\') + 1) + name;
}

// The default value of HKCR\htmlfile\shell\open\command, put back as it was
// when the guard goes.
class BrowserCommand {
 public:
  BrowserCommand() {
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS) {
      saved_ = buffer;
    }
  }
  BrowserCommand(const BrowserCommand&) = delete;
  BrowserCommand& operator=(const BrowserCommand&) = delete;
  ~BrowserCommand() {
    if (saved_) Set(*saved_);
  }
  void Set(const std::wstring& command) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(DWORD number) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_DWORD, &number, sizeof(number));
  }
  void RemoveValue() { RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr); }
  void RemoveKey() { RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKey); }

 private:
  std::optional<std::wstring> saved_;
};

class WebLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW(browserFolder_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(BesideThisProgram(L"test_url_recorder.exe").c_str(), browser_.c_str(), FALSE));
  }

  // The command lines the stand-in browser recorded, once `count` of them
  // are there (or the wait gave up).
  std::vector<std::wstring> WaitForRecords(size_t count) const {
    std::vector<std::wstring> records;
    for (const DWORD deadline = GetTickCount() + 30000; GetTickCount() < deadline; Sleep(50)) {
      records.clear();
      WIN32_FIND_DATAW data;
      const HANDLE find = FindFirstFileW((browserFolder_ + L"\\*.log").c_str(), &data);
      if (find == INVALID_HANDLE_VALUE) continue;
      do {
        const std::string bytes = testing_support::ReadFileBytes(browserFolder_ + L"\\" + data.cFileName);
        records.emplace_back(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
      } while (FindNextFileW(find, &data));
      FindClose(find);
      if (records.size() >= count) break;
    }
    return records;
  }

  static LaunchCounter launches_;
  ScratchFolder scratch_{L"web"};
  const std::wstring browserFolder_ = scratch_.path() + L"\\浏览器";
  const std::wstring browser_ = browserFolder_ + L"\\browser.exe";
  BrowserCommand command_;
};

LaunchCounter WebLaunchTest::launches_;

TEST_F(WebLaunchTest, BrowserPathIsTheQuotedProgramOfTheCommand) {
  command_.Set(L"\"" + browser_ + L"\" -nohome \"%1\"");
  EXPECT_EQ(setup::HtmlBrowserPath(), win::GbkFromWide(browser_));

  struct Case {
    const char* what;
    std::optional<std::wstring> command;  // none: a number instead of a text
  } nothing[] = {
      {"unquoted", browser_ + L" %1"},
      {"one quote", L"\"" + browser_ + L" %1"},
      {"empty", L""},
      {"number", std::nullopt},
  };
  for (const Case& c : nothing) {
    if (c.command) {
      command_.Set(*c.command);
    } else {
      command_.SetNumber(1);
    }
    EXPECT_EQ(setup::HtmlBrowserPath(), "") << c.what;
  }
  command_.RemoveValue();
  EXPECT_EQ(setup::HtmlBrowserPath(), "");
  command_.RemoveKey();
  EXPECT_EQ(setup::HtmlBrowserPath(), "");
}

TEST_F(WebLaunchTest, BrowserGetsTheUrlUnchanged) {
  command_.Set(L"\"" + browser_ + L"\" -nohome \"%1\"");
  const unsigned long before = launches_.Total();
  setup::OpenUrlInBrowser("http://www.example.com/青岚星 X-jiaocheng.asp");
  EXPECT_EQ(launches_.Total() - before, 1u);

  const std::vector<std::wstring> records = WaitForRecords(1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], L"\"" + browser_ + L"\" http://www.example.com/青岚星 X-jiaocheng.asp");
}

TEST_F(WebLaunchTest, NothingStartsWithoutARegisteredBrowser) {
  const unsigned long before = launches_.Total();
  command_.Set(browser_ + L" %1");
  setup::OpenUrlInBrowser("http://www.example.com/");
  command_.SetNumber(1);
  setup::OpenUrlInBrowser("http://www.example.com/");
  command_.RemoveKey();
  setup::OpenUrlInBrowser("http://www.example.com/");
  EXPECT_EQ(launches_.Total() - before, 0u);
}

TEST_F(WebLaunchTest, TutorialPageOpensOnceWhenTheMachineIsOnline) {
  command_.Set(L"\"" + browser_ + L"\" \"%1\"");
  DWORD flags = 0;
  const bool connected = InternetGetConnectedState(&flags, 0) != FALSE;
  const bool online = setup::ConnectionAllowsTutorial(connected, flags);
  RecordProperty("online", online ? "yes" : "no");

  const unsigned long before = launches_.Total();
  setup::OpenTutorialPage(kSite, "TAVRO-青岚星 TAVRO-X");
  EXPECT_EQ(launches_.Total() - before, online ? 1u : 0u) << "connected=" << connected << " flags=" << flags;
  if (online) {
    const std::vector<std::wstring> records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], L"\"" + browser_ + L"\" http://www.example.com/青岚星 X-jiaocheng.asp");
  }
}

}  // namespace
