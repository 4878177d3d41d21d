// The copying page as the installation engine drives it, on a real main
// window: the step and the file name take their text at 300 pixels wide,
// the bar its position, the notice of a file that failed its caption and
// icon.
#include "app/copying_page.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_form.h"
#include "ui/application.h"
#include "win/text.h"

namespace {

class CopyingPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.Initialize();
    app_.SetMessageBoxHook([this](const std::wstring& text, const std::wstring& caption, UINT flags) {
      notice_ = win::GbkFromWide(text) + "|" + win::GbkFromWide(caption) + "|" + std::to_string(flags);
      return IDOK;
    });
    form_ = std::make_unique<TMainForm>();
    app_.ShowMainForm(*form_);
    form_->PageCtl.SetActivePage(4);
    app_.ProcessMessages();
  }

  ui::Application app_;
  std::unique_ptr<TMainForm> form_;
  std::string notice_;
};

TEST_F(CopyingPageTest, FileNamesOfAnyLengthKeepTheWidth) {
  CopyingPage page(*form_);
  // Long after short and short after long: the label must not keep the
  // size its previous text had.
  const char* names[] = {"C:\\a.txt", "C:\\...\\帮助文档12.chm", "C:\\...\\一个很长很长很长的文件名称.txt", "C:\\b"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    page.ShowFileName(name);
    EXPECT_EQ(form_->FNameLb.Text(), name);
    EXPECT_EQ(form_->FNameLb.Width(), 300);
    EXPECT_TRUE(form_->FNameLb.Visible());
  }
  page.HideFileName();
  EXPECT_FALSE(form_->FNameLb.Visible());
}

TEST_F(CopyingPageTest, StepProgressAndNotice) {
  CopyingPage page(*form_);
  page.SetWorkText("正在注册相关信息...");
  EXPECT_EQ(form_->WorkLb.Text(), "正在注册相关信息...");
  EXPECT_EQ(form_->WorkLb.Width(), 300);

  for (const int position : {0, 16, 16, 83}) {
    page.SetProgress(position);
    EXPECT_EQ(form_->CopyProgress.Position(), position);
  }

  page.ReportFileError("安装下列文件时发生错误，\r\n建议重新启动后再次安装!\r\nC:\\x\\a.txt");
  EXPECT_EQ(notice_, "安装下列文件时发生错误，\r\n建议重新启动后再次安装!\r\nC:\\x\\a.txt| TAVRO|64");
}

}  // namespace
