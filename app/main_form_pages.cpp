// What each page does when it becomes the visible page: the header texts,
// the page's facts from the record, and the state of the buttons.
#include "app/main_form.h"
#include "ui/application.h"

using setup::field::kIntroText;
using setup::field::kVersionText;

void TMainForm::Sheet0Show() {
  const std::string product = SetupConfig.ProductName();
  NameLb.SetText(product);
  VerLb.SetText(SetupConfig.Text(kVersionText));
  IntroLb.SetText(SetupConfig.Text(kIntroText));
  IntroLb.SetWidth(245);
  IntroLb.SetHeight(80);
  // The window caption and the taskbar title differ by one blank.
  SetText(product + "安装向导");
  Label8.SetText("青岚星安装程序");
  Label12.SetText("本安装程序将" + product + "软件安装到您的计算机上");
  suiButton1.Hide();
  ui::App().SetTitle(product + " 安装向导");
}

void TMainForm::Sheet1Show() {
  suiButton1.Show();
  Label8.SetText("软件许可协议");
  Label12.SetText("请认真阅读本软件的许可协议");
}

void TMainForm::Sheet2Show() {
  FolderEd.SetText(SetupConfig.InstallFolder());
  Label8.SetText("选择安装目标文件夹");
  Label12.SetText("您所选择的文件夹将存放该软件的所有文件");
}

void TMainForm::Sheet3Show() {
  FolderLb.SetText(SetupConfig.InstallFolder());
  Label8.SetText("开始安装");
  Label12.SetText("选择结束,即将开始安装工作");
  FolderLb.SetWidth(200);
}

void TMainForm::Sheet4Show() {
  suiButton1.Hide();
  suiButton2.Hide();
  suiButton3.Enable(false);
  Label8.SetText("正在安装...");
  Label12.SetText("安装程序正在复制文件,注册信息,创建快捷方式");
}

void TMainForm::Sheet5Show() {
  suiButton1.Hide();
  suiButton2.Hide();
  Label8.SetText("安装完毕");
  suiButton3.Enable(true);
  suiButton3.SetText("完成");
  Label12.SetText("已经完成本软件的所有安装工作");
  Label6.SetText("请双击桌面的" + SetupConfig.ProductName() + "图标运行软件。");
}
