#pragma once
// One run of a crafted installer, driven through its window, and what the
// end-to-end tests of the wizard's pages expect to read on each page: the
// header, the buttons, and the texts of its questions and notices.
//
// Header-only: every tests/e2e/*_test.cpp is a program of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "package/package_builder.h"
#include "tests/support/installer_builder.h"
#include "tests/support/test_paths.h"
#include "tests/support/ui_driver.h"
#include "tests/support/wizard_walk.h"
#include "win/text.h"

namespace testing_support {

// The product of SampleRecord, as the pages show it.
inline constexpr char kProduct[] = "TAVRO-X";

// The question of Cancel and of a close request.
inline constexpr char kQuitQuestion[] =
    "安装程序还没有完成,如果您现在关闭安装程序，程序将退出安装，\r"
    "您也可以稍后运行安装程序来完成安装。\r\n"
    "要继续安装，请单击“No”按钮；要退出安装，请单击“Yes”按钮。";

// A program built beside the tests, named by an environment variable (CTest
// gives a Linux path, seen here through drive Z:).
inline std::wstring ProgramFromEnvironment(const wchar_t* name) {
  const std::wstring value = EnvVar(name);
  if (value.empty()) throw setup::Error("environment variable " + win::Utf8FromWide(name) + " is not set");
  return value[0] == L'/' ? WinPathFromUnix(win::Utf8FromWide(value)) : value;
}

// A file in the test's artifact folder (ARTIFACT_DIR), for screenshots.
inline std::wstring ArtifactPath(const std::wstring& name) {
  const std::wstring dir = EnvVar(L"ARTIFACT_DIR");
  return (dir.empty() ? L"." : dir) + L"\\" + name;
}

// Removes what an installation of SampleRecord leaves in the registry, so
// that the next installer asks no reinstall question.
inline void ForgetInstallation() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TestVendor");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TAVRO-X");
}

// Where Agree (suiButton4) is.
enum class Agree {
  kHidden,
  kOverNext,  // in its designed place, covering Next
  kAway,      // visible, but moved above the window for good
};

// What a page shows once its show handler has run; the mismatches, one a
// line, or nothing when it all reads as designed.
inline std::string LookMismatches(HWND main, int page, Agree agree) {
  struct Look {
    const char* title;
    std::string subtitle;
    bool back, next, cancelEnabled;
    const char* cancel;
  };
  const std::string product = kProduct;
  const Look looks[] = {
      {"青岚星安装程序", "本安装程序将" + product + "软件安装到您的计算机上", false, true, true, "取消"},
      {"软件许可协议", "请认真阅读本软件的许可协议", true, true, true, "取消"},
      {"选择安装目标文件夹", "您所选择的文件夹将存放该软件的所有文件", true, true, true, "取消"},
      {"开始安装", "选择结束,即将开始安装工作", true, true, true, "取消"},
      {"正在安装...", "安装程序正在复制文件,注册信息,创建快捷方式", false, false, false, "取消"},
      {"安装完毕", "已经完成本软件的所有安装工作", false, false, true, "完成"},
  };
  const Look& want = looks[page];
  std::string out;
  auto check = [&](bool ok, const std::string& what) {
    if (!ok) out += what + "\n";
  };
  const auto text = [&](const char* name) { return TextGbk(Control(main, name)); };
  const auto shown = [&](const char* name) { return IsShown(Control(main, name)); };
  const int showing = ShownPage(main);
  check(showing == page, "page " + std::to_string(showing) + " shows");
  check(text("Label8") == want.title, "title " + Quote(Text(Control(main, "Label8"))));
  check(text("Label12") == want.subtitle, "subtitle " + Quote(Text(Control(main, "Label12"))));
  check(shown("suiButton1") == want.back, std::string("Back ") + (want.back ? "hidden" : "shown"));
  check(shown("suiButton2") == want.next, std::string("Next ") + (want.next ? "hidden" : "shown"));
  check(text("suiButton2") == "下一步", "Next reads " + Quote(Text(Control(main, "suiButton2"))));
  check(text("suiButton1") == "上一步", "Back reads " + Quote(Text(Control(main, "suiButton1"))));
  HWND cancel = Control(main, "suiButton3");
  check(IsShown(cancel), "Cancel hidden");
  check(IsEnabled(cancel) == want.cancelEnabled, std::string("Cancel ") + (want.cancelEnabled ? "disabled" : "enabled"));
  check(text("suiButton3") == want.cancel, "Cancel reads " + Quote(Text(cancel)));

  HWND agreeButton = Control(main, "suiButton4");
  HWND next = Control(main, "suiButton2");
  const RECT at = RectInParent(agreeButton);
  check(text("suiButton4") == "同意", "Agree reads " + Quote(Text(agreeButton)));
  switch (agree) {
    case Agree::kHidden:
      check(!HasVisibleStyle(agreeButton), "Agree shown");
      break;
    case Agree::kOverNext:
      check(IsShown(agreeButton), "Agree hidden");
      check(at.left == 320 && at.top == 250 && at.right == 411 && at.bottom == 280,
            "Agree at " + std::to_string(at.left) + "," + std::to_string(at.top));
      check(WhyNotClickable(agreeButton).empty(), "Agree: " + WhyNotClickable(agreeButton));
      check(!WhyNotClickable(next).empty(), "Next can be clicked beside Agree");
      break;
    case Agree::kAway:
      check(HasVisibleStyle(agreeButton), "Agree hidden");
      check(at.top == -32, "Agree at top " + std::to_string(at.top));
      break;
  }
  if (want.next && agree != Agree::kOverNext) check(WhyNotClickable(next).empty(), "Next: " + WhyNotClickable(next));
  return out;
}

// A message box of the wizard as it was read.
struct Box {
  HWND window = nullptr;
  MessageBoxContent content;
  int defaultButton = 0;
};

inline Box WaitForBox(DWORD pid) {
  Box box;
  box.window = WaitForMessageBox(pid);
  box.content = ReadMessageBox(box.window);
  // The default button is drawn as such: it has the default push style.
  for (int id : box.content.buttons) {
    if ((GetWindowLongW(GetDlgItem(box.window, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      box.defaultButton = id;
    }
  }
  return box;
}

// The box's caption, text (GBK), buttons and default button, as expected;
// the mismatches.
inline std::string BoxMismatches(const Box& box, std::wstring_view caption, std::string_view gbkText,
                                 const std::vector<int>& buttons, int defaultButton) {
  std::string out;
  if (box.content.caption != caption) out += "caption " + Quote(box.content.caption) + "\n";
  if (box.content.text != win::WideFromGbk(gbkText)) out += "text " + Quote(box.content.text) + "\n";
  if (box.content.buttons != buttons) out += "buttons differ (" + std::to_string(box.content.buttons.size()) + ")\n";
  if (box.defaultButton != defaultButton) out += "default button " + std::to_string(box.defaultButton) + "\n";
  return out;
}

// Cancel asks with the wizard's caption, No being the default.
inline std::string QuitQuestionMismatches(const Box& box) {
  return BoxMismatches(box, L" TAVRO", kQuitQuestion, {IDYES, IDNO}, IDNO);
}
// A close request asks with the system's confirmation box instead.
inline std::string CloseQuestionMismatches(const Box& box) {
  return BoxMismatches(box, L"Confirm", kQuitQuestion, {IDYES, IDNO}, IDYES);
}
inline std::string NoticeMismatches(const Box& box, std::string_view gbkText) {
  return BoxMismatches(box, L" TAVRO", gbkText, {IDOK}, IDOK);
}

// A close request that returns once the window has handled it (WM_CLOSE,
// sent): for the cases that open no question, so that "nothing came" can be
// checked right after. False when the window did not handle it in time.
inline bool SendCloseRequest(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, kStepTimeout, &result) != 0;
}

// An installer of the test's own package, started from its own folder.
class WizardSession {
 public:
  // Writes the installer into `folder` and starts it; returns once page 0
  // shows and its show handler has run.
  WizardSession(const std::wstring& folder, const setup::PackageResources& package)
      : process_(Start(folder, package)) {
    main_ = WaitForTopLevelWindow(process_.pid(), kWizardWindowClass);
    Arrive(0);
  }

  HWND main() const { return main_; }
  DWORD pid() const { return process_.pid(); }
  Process& process() { return process_; }
  HWND Get(std::string_view name) const { return Control(main_, name); }
  std::string GbkOf(std::string_view name) const { return TextGbk(Get(name)); }

  void Press(std::string_view name) { Click(Get(name)); }

  // Waits until `page` shows and the handler that showed it has returned.
  void Arrive(int page, Millis timeout = kStepTimeout) {
    WaitForPage(main_, page, timeout);
    if (!Responds(main_, timeout)) throw setup::Error("the wizard does not answer on page " + std::to_string(page));
  }

  // From page 0 to `page` (at most 3) along the happy path; page 2 takes
  // `folder` when given.
  void GoTo(int page, const std::wstring& folder = {}) {
    if (page >= 1) {
      Press("suiButton2");
      Arrive(1);
    }
    if (page >= 2) {
      Press("suiButton4");
      Arrive(2);
    }
    if (page >= 3) {
      if (!folder.empty()) SetText(Get("FolderEd"), folder);
      Press("suiButton2");
      Arrive(3);
    }
  }

  // The program has ended, by its own choice, with exit code 0.
  void ExpectEnded() {
    EXPECT_EQ(process_.WaitForExit(), 0u);
    EXPECT_FALSE(IsWindow(main_));
  }

 private:
  static Process Start(const std::wstring& folder, const setup::PackageResources& package) {
    const std::wstring installer = folder + L"\\setup.exe";
    WriteInstaller(installer, package);
    return Process::Start(installer, {}, folder);
  }

  Process process_;
  HWND main_ = nullptr;
};

// A package of SampleRecord with two small files.
inline setup::PackageResources SmallPackage() {
  setup::SetupConfig record = SampleRecord();
  record.SetFile(0, {"\\Readme.txt", 0, 1, 0, 0});
  record.SetFile(1, {"\\TAVRO-X.exe", 0, 1, 0, 0});
  return setup::BuildPackage(record, {Bytes("readme"), Bytes("program")});
}

}  // namespace testing_support
