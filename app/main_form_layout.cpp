// The main window's layout: every control at its designed place, size,
// font, colour, visibility and text, created in the designed order.
#include <windows.h>

#include "app/control_ids.h"
#include "app/main_form.h"
#include "app/site.h"
#include "assets/resource_ids.h"
#include "ui/image_loading.h"

namespace {

using ui::color::kBlack;
using ui::color::kBlue;
using ui::color::kGray;
using ui::color::kWhite;

// "微软雅黑" 9 pt: the font of the pages, the header and the skinned buttons.
ui::Font YaHei(COLORREF color) { return ui::Font{}.Face(L"微软雅黑").Height(12).Color(color); }

constexpr int kClientWidth = 537;
constexpr int kClientHeight = 297;

}  // namespace

TMainForm::TMainForm() {
  CreateForm(L"TMainForm", "MainForm", kClientWidth, kClientHeight);
  CreateControls();
  LoadPictures();
  WireEvents();
}

TMainForm::~TMainForm() {
  Shadow.reset();  // gives the window its own message handling back first
  DestroyHandle();
}

void TMainForm::CreateControls() {
  Label1.SetFont(ui::Font{}.Face(L"Gadugi").Height(16).Charset(ANSI_CHARSET).Color(kGray));
  Label1.Create(*this, ctl::kLabel1, {24, 236, 98, 19}, SiteHostName);
  Bevel1.Create(*this, ctl::kBevel1, {133, 244, 379, 2});

  PageCtl.Create(*this, ctl::kPageCtl, {1, 60, 526, 181});
  CreatePages();

  suiButton1.SetFont(YaHei(kBlack).Charset(ANSI_CHARSET));
  suiButton1.Create(*this, ctl::kSuiButton1, {216, 250, 91, 30}, "上一步");
  suiButton1.Hide();
  suiButton2.SetFont(YaHei(kBlack));
  suiButton2.Create(*this, ctl::kSuiButton2, {320, 250, 89, 30}, "下一步");
  suiButton3.SetFont(YaHei(kBlack).Charset(ANSI_CHARSET));
  suiButton3.Create(*this, ctl::kSuiButton3, {424, 250, 91, 30}, "取消");
  suiButton4.SetFont(YaHei(kBlack).Charset(ANSI_CHARSET));
  suiButton4.Create(*this, ctl::kSuiButton4, {320, 250, 91, 30}, "同意");
  suiButton4.Hide();

  // Never shown: clicked by code. They use the window's default font.
  Button1.Create(*this, ctl::kButton1, {8, 256, 75, 25}, "kill up1");
  Button1.Hide();
  Button2.Create(*this, ctl::kButton2, {72, 256, 75, 25}, "kill up2");
  Button2.Hide();
  BPing.Create(*this, ctl::kBPing, {152, 256, 49, 25}, "BPing");
  BPing.Hide();

  // Last, so it lies above the top rows of the page control.
  Panel1.Create(*this, ctl::kPanel1, {0, 0, 537, 81}, ui::color::kHeaderBlue);
  Label8.SetFont(YaHei(kWhite).Bold());
  Label8.Create(Panel1, ctl::kLabel8, {16, 16, 0, 0}, "PageLb");
  Label12.SetFont(YaHei(kWhite));
  Label12.Create(Panel1, ctl::kLabel12, {16, 49, 0, 0}, "PageLb2");
  Label20.SetFont(YaHei(kWhite).Bold());
  Label20.Create(Panel1, ctl::kLabel20, {400, 16, 120, 17}, "澄宇软件科技荣誉出品");
}

void TMainForm::CreatePages() {
  PageCtl.AddPage(Sheet0, ctl::kSheet0, "欢迎界面", YaHei(kGray));
  PageCtl.AddPage(Sheet1, ctl::kSheet1, "许可协议", YaHei(kGray));
  PageCtl.AddPage(Sheet2, ctl::kSheet2, "选择目录", YaHei(kBlack));
  PageCtl.AddPage(Sheet3, ctl::kSheet3, "开始安装", YaHei(kGray));
  PageCtl.AddPage(Sheet4, ctl::kSheet4, "复制文件", YaHei(kGray));
  PageCtl.AddPage(Sheet5, ctl::kSheet5, "显示成功", YaHei(kGray));

  // Page 0, welcome. The texts of NameLb, VerLb and IntroLb are replaced
  // before the page is first seen.
  Label10.Create(Sheet0, ctl::kLabel10, {168, 76, 51, 17}, "软件名称:");
  Label11.Create(Sheet0, ctl::kLabel11, {168, 100, 51, 17}, "发行版本:");
  Label9.Create(Sheet0, ctl::kLabel9, {168, 124, 51, 17}, "软件简介:");
  NameLb.Create(Sheet0, ctl::kNameLb, {230, 76, 138, 17}, "NameLb", true);
  VerLb.Create(Sheet0, ctl::kVerLb, {230, 100, 48, 17}, "VerLb", true);
  IntroLb.Create(Sheet0, ctl::kIntroLb, {230, 124, 142, 17}, "IntroLb", true);
  Label7.Create(Sheet0, ctl::kLabel7, {335, 20, 181, 17}, "版权所有 2009-2024 澄宇软件");

  // Page 1, licence.
  Image2.Create(Sheet1, ctl::kImage2, {208, 40, 217, 89});
  Label19.Create(Sheet1, ctl::kLabel19, {154, 152, 36, 17}, "请阅读");
  // Blue by design; start-up gives it the grey link colour.
  suiURLLabel1.SetFont(YaHei(kBlue).Underline().Charset(ANSI_CHARSET));
  suiURLLabel1.Create(Sheet1, ctl::kSuiURLLabel1, {192, 152, 96, 17}, "“软件许可协议”");
  suiURLLabel1.SetUrl(std::string(SiteBaseUrl) + "license.asp");
  Label21.Create(Sheet1, ctl::kLabel21, {290, 152, 204, 17}, "如果您同意协议请按“同意”进行安装");

  // Page 2, choose folder.
  Label16.SetFont(YaHei(kGray));
  Label16.Create(Sheet2, ctl::kLabel16, {184, 86, 243, 17}, "如果有两个以上分区，建议安装到非系统分区:", true);
  FolderEd.SetFont(YaHei(kGray));
  FolderEd.Create(Sheet2, ctl::kFolderEd, {184, 108, 226, 23}, "");
  FolderEd.SetImeLanguage(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  suiImageButton1.Create(Sheet2, ctl::kSuiImageButton1, {410, 109, 39, 25}, "");
  LabelPF.Create(Sheet2, ctl::kLabelPF, {8, 40, 16, 17}, "C:\\");
  LabelPF.Hide();

  // Page 3, ready.
  Label2.Create(Sheet3, ctl::kLabel2, {184, 88, 60, 17}, "安装提示：");
  Label17.Create(Sheet3, ctl::kLabel17, {184, 112, 72, 17}, "目标文件夹：");
  FolderLb.Create(Sheet3, ctl::kFolderLb, {264, 112, 117, 17}, "FolderLb", true);

  // Page 4, copying.
  WorkLb.Create(Sheet4, ctl::kWorkLb, {200, 52, 75, 17}, "正在复制文件:", true);
  FNameLb.Create(Sheet4, ctl::kFNameLb, {200, 76, 75, 17}, "文件复制进度:", true);
  CopyProgress.Create(Sheet4, ctl::kCopyProgress, {200, 104, 300, 18});

  // Page 5, finished. The check box reaches past the page's right edge;
  // the page clips it.
  Image3.Create(Sheet5, ctl::kImage3, {136, 81, 57, 56});
  Label4.Create(Sheet5, ctl::kLabel4, {200, 84, 76, 17}, "软件安装成功!", true);
  Label6.Create(Sheet5, ctl::kLabel6, {200, 108, 245, 17}, "Label6", true);
  StartProgramCb.Create(Sheet5, ctl::kStartProgramCb, {368, 24, 241, 17}, "怎样加密？看看使用教程", true);
}

void TMainForm::LoadPictures() {
  Image2.SetBitmap(ui::DecodeJpeg(ui::RcDataResource(IDR_LICENCE_JPEG)));
  Image3.SetBitmap(ui::LoadBitmapResource(IDB_FINISHED));
  suiImageButton1.SetPictures(ui::LoadBitmapResource(IDB_FOLDER_FILLED),
                              ui::LoadBitmapResource(IDB_FOLDER_OUTLINE));
}

void TMainForm::WireEvents() {
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnDestroy = [this] { FormDestroy(); };
  Sheet0.OnShow = [this] { Sheet0Show(); };
  Sheet1.OnShow = [this] { Sheet1Show(); };
  Sheet2.OnShow = [this] { Sheet2Show(); };
  Sheet3.OnShow = [this] { Sheet3Show(); };
  Sheet4.OnShow = [this] { Sheet4Show(); };
  Sheet5.OnShow = [this] { Sheet5Show(); };
  suiButton1.OnClick = [this] { PrevBtClick(); };
  suiButton2.OnClick = [this] { NextBtClick(); };
  suiButton3.OnClick = [this] { CancelBtClick(); };
  suiButton4.OnClick = [this] { suiButton4Click(); };
  suiImageButton1.OnClick = [this] { suiImageButton1Click(); };
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  BPing.OnClick = [this] { BPingClick(); };
}
