// The wizard's pages 0 to 3 driven through a real installer: what each page
// shows, Back and Agree, Cancel and the close request with their question,
// and the folder page's refusals, trimming and storing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/wizard_session.h"
#include "tests/support/shell_checks.h"

namespace testing_support {
namespace {

// The folder the wizard proposes in this prefix (no drive D:).
constexpr char kProposedFolder[] = "C:\\TAVRO-X";

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetInstallation(); }
  void TearDown() override { ForgetInstallation(); }

  WizardSession Start() { return WizardSession(scratch_.path(), SmallPackage()); }

  ScratchFolder scratch_{L"nav"};
};

TEST_F(NavigationTest, PagesShowTheirHeaderAndButtonsAlongBackAndAgree) {
  WizardSession wizard = Start();
  EXPECT_EQ(wizard.GbkOf("NameLb"), "TAVRO-X");
  EXPECT_EQ(wizard.GbkOf("VerLb"), "V18.5");
  EXPECT_EQ(wizard.GbkOf("IntroLb"), "一款小巧实用的系统工具。\r\n");
  // The window caption and the taskbar title differ by one blank.
  EXPECT_EQ(TextGbk(wizard.main()), "TAVRO-X安装向导");
  HWND taskbarEntry = FindTopLevelWindow(wizard.pid(), L"TApplication");
  ASSERT_NE(taskbarEntry, nullptr);
  EXPECT_EQ(TextGbk(taskbarEntry), "TAVRO-X 安装向导");

  struct Step {
    const char* press;  // nullptr: the start
    int page;
    Agree agree;
    const char* what;
  };
  const Step steps[] = {
      {nullptr, 0, Agree::kHidden, "start"},
      {"suiButton2", 1, Agree::kOverNext, "Next: Agree stands in for Next"},
      {"suiButton1", 0, Agree::kHidden, "Back before Agree hides it"},
      {"suiButton2", 1, Agree::kOverNext, "the next Next shows it again in its place"},
      {"suiButton4", 2, Agree::kAway, "Agree moves away for good and goes on as Next"},
      {"suiButton1", 1, Agree::kHidden, "Back after Agree: the plain Next serves"},
      {"suiButton1", 0, Agree::kHidden, "Back to the welcome page"},
      {"suiButton2", 1, Agree::kAway, "Next: Agree stays away"},
      {"suiButton2", 2, Agree::kAway, "Next on page 1 once Agree was used"},
      {"suiButton2", 3, Agree::kAway, "Next takes the proposed folder"},
      {"suiButton1", 2, Agree::kHidden, "Back from page 3"},
      {"suiButton2", 3, Agree::kAway, "Next again"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.press) {
      wizard.Press(step.press);
      wizard.Arrive(step.page);
    }
    EXPECT_EQ(LookMismatches(wizard.main(), step.page, step.agree), "");
    if (step.page == 2) {
      EXPECT_EQ(wizard.GbkOf("FolderEd"), kProposedFolder);
    }
    if (step.page == 3) {
      EXPECT_EQ(wizard.GbkOf("FolderLb"), kProposedFolder);
    }
  }
  // Back to page 0 sets its texts again.
  for (int page : {2, 1, 0}) {
    wizard.Press("suiButton1");
    wizard.Arrive(page);
  }
  EXPECT_EQ(LookMismatches(wizard.main(), 0, Agree::kHidden), "");
  EXPECT_EQ(wizard.GbkOf("NameLb"), "TAVRO-X");
}

// Cancel and the close request ask the same question on pages 0 to 3; No
// leaves everything as it was, Yes ends the program.
TEST_F(NavigationTest, CancelAndCloseRequestAskOnPages0To3) {
  struct Case {
    int page;
    bool endByCancel;  // else by a close request
  };
  const Case cases[] = {{0, true}, {1, true}, {2, true}, {3, true}, {0, false}, {1, false}, {2, false}, {3, false}};
  const Agree agreeOn[] = {Agree::kHidden, Agree::kOverNext, Agree::kAway, Agree::kAway};
  for (const Case& c : cases) {
    SCOPED_TRACE("page " + std::to_string(c.page) + (c.endByCancel ? ", Cancel" : ", close request"));
    WizardSession wizard = Start();
    wizard.GoTo(c.page, scratch_.path() + L"\\target");

    wizard.Press("suiButton3");
    Box box = WaitForBox(wizard.pid());
    EXPECT_EQ(QuitQuestionMismatches(box), "");
    AnswerMessageBox(box.window, IDNO);

    RequestClose(wizard.main());
    box = WaitForBox(wizard.pid());
    EXPECT_EQ(CloseQuestionMismatches(box), "");
    SaveProgramScreenshot(wizard.main(), ArtifactPath(L"close-question-page" + std::to_wstring(c.page) + L".png"));
    AnswerMessageBox(box.window, IDNO);

    ASSERT_TRUE(Responds(wizard.main()));
    EXPECT_TRUE(wizard.process().Running());
    EXPECT_EQ(LookMismatches(wizard.main(), c.page, agreeOn[c.page]), "");

    if (c.endByCancel) {
      wizard.Press("suiButton3");
    } else {
      RequestClose(wizard.main());
    }
    AnswerMessageBox(WaitForMessageBox(wizard.pid()), IDYES);
    wizard.ExpectEnded();
  }
}

// Each refusal is a notice; the wizard stays on page 2 with the trimmed
// text and stores nothing.
TEST_F(NavigationTest, FolderRefusalsKeepPage2AndStoreNothing) {
  const std::string kChooseFolder = "  提示：请选择目标文件夹！     ";
  const std::string kFullPath = "必须指定完全路径!\r\n比如:\r\nC:\\TAVRO-Y";
  const std::string kDriveRoot = "  提示：不能安装到驱动器的根目录下!  ";
  const std::string kNotCreated = "  提示：创建子文件夹失败！         ";

  // A chain that fails at a name no folder may have, after making "made";
  // and a file where the folder would be.
  const std::wstring made = scratch_.path() + L"\\made";
  const std::wstring badChain = made + L"\\bad|name\\sub";
  const std::wstring file = scratch_.path() + L"\\a file";
  WriteFileBytes(file, "not a folder");

  struct Case {
    std::wstring typed;
    const std::string& notice;
    std::string left;  // FolderEd afterwards
  };
  const Case cases[] = {
      {L"", kChooseFolder, ""},
      {L" \t  ", kChooseFolder, ""},
      {L"C", kFullPath, "C"},
      {L"CD:\\x", kFullPath, "CD:\\x"},
      {L"\\\\server\\share", kFullPath, "\\\\server\\share"},
      {L"中:\\目标", kFullPath, "中:\\目标"},  // two bytes before the colon
      {L"C:", kDriveRoot, "C:"},
      {L"C:\\", kDriveRoot, "C:\\"},
      {L"C:x", kDriveRoot, "C:x"},
      {L"  D:\\ ", kDriveRoot, "D:\\"},
      {L" " + badChain + L"\t", kNotCreated, win::GbkFromWide(badChain)},
      {file, kNotCreated, win::GbkFromWide(file)},
      {file + L"\\deeper", kNotCreated, win::GbkFromWide(file + L"\\deeper")},
      {L"Q:\\TAVRO-X", kNotCreated, "Q:\\TAVRO-X"},  // no such drive
  };

  WizardSession wizard = Start();
  wizard.GoTo(2);
  int shot = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(Quote(c.typed));
    SetText(wizard.Get("FolderEd"), c.typed);
    wizard.Press("suiButton2");
    const Box box = WaitForBox(wizard.pid());
    EXPECT_EQ(NoticeMismatches(box, c.notice), "");
    SaveProgramScreenshot(wizard.main(), ArtifactPath(L"refusal" + std::to_wstring(shot++) + L".png"));
    AnswerMessageBox(box.window, IDOK);
    wizard.Arrive(2);
    EXPECT_EQ(wizard.GbkOf("FolderEd"), c.left);
    EXPECT_EQ(LookMismatches(wizard.main(), 2, Agree::kAway), "");
  }
  // The folders made before the failing name stay; nothing else was made.
  EXPECT_EQ(Names(scratch_.path()), L"a file|made|setup.exe");
  EXPECT_EQ(Names(made), L"");

  // Nothing was stored: page 2 shows the proposal again on arrival.
  wizard.Press("suiButton1");
  wizard.Arrive(1);
  wizard.Press("suiButton2");
  wizard.Arrive(2);
  EXPECT_EQ(wizard.GbkOf("FolderEd"), kProposedFolder);
}

// An accepted folder loses the blanks around it, is made with its parents
// and stored; a text over 128 bytes is made in full but stored cut.
TEST_F(NavigationTest, AcceptedFolderIsTrimmedMadeAndStored) {
  const std::wstring folder = scratch_.path() + L"\\目标 文件夹\\子目录";
  const std::wstring longFolder = scratch_.path() + L"\\" + std::wstring(140, L'x');
  const std::string longGbk = win::GbkFromWide(longFolder);
  ASSERT_GT(longGbk.size(), 128u);

  struct Case {
    std::wstring typed, made;
    std::string stored;
  };
  const Case cases[] = {
      {L" \t " + folder + L"  \t", folder, win::GbkFromWide(folder)},
      {longFolder, longFolder, longGbk.substr(0, 128)},
  };
  WizardSession wizard = Start();
  wizard.GoTo(2);
  for (const Case& c : cases) {
    SCOPED_TRACE(Quote(c.typed));
    SetText(wizard.Get("FolderEd"), c.typed);
    wizard.Press("suiButton2");
    wizard.Arrive(3);
    EXPECT_EQ(wizard.GbkOf("FolderLb"), c.stored);
    const DWORD attributes = GetFileAttributesW(c.made.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    wizard.Press("suiButton1");
    wizard.Arrive(2);
    EXPECT_EQ(wizard.GbkOf("FolderEd"), c.stored);
  }
}

}  // namespace
}  // namespace testing_support
