// The main window as the user sees it: every control of the layout at its
// place with its text, font and visibility; each page's header, facts and
// buttons once shown; the pictures cut as designed; a screenshot of each of
// the six pages (ARTIFACT_DIR/page<N>.png) and of the whole screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/main_form.h"
#include "assets/resource_ids.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_paths.h"
#include "ui/application.h"
#include "ui/image_loading.h"
#include "win/text.h"

namespace {

using testing_support::CaptureSettled;
using testing_support::Image;

constexpr int kForm = 0;  // "parent" of the controls placed on the window itself

std::string WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return win::GbkFromWide(text);
}

// The window with control id `id` anywhere below `root`.
HWND FindControl(HWND root, int id) {
  for (HWND child = GetWindow(root, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == id) return child;
    if (HWND found = FindControl(child, id)) return found;
  }
  return nullptr;
}

RECT RectInParent(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The colour of a pixel, for comparing with RGB(...).
COLORREF At(const Image& image, int x, int y) {
  const testing_support::Rgb p = image.at(x, y);
  return RGB(p.r, p.g, p.b);
}

// A bitmap's pixels, rows top-down.
Image BitmapPixels(HGDIOBJ bitmap) {
  const SIZE size = ui::BitmapSize(bitmap);
  std::vector<uint32_t> bgrx(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = size.cx;
  bmi.bmiHeader.biHeight = -size.cy;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, static_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(size.cy), bgrx.data(), &bmi,
            DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  Image image;
  image.width = size.cx;
  image.height = size.cy;
  for (const uint32_t p : bgrx) {
    image.pixels.push_back({static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
  }
  return image;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.Initialize();
    form_ = std::make_unique<TMainForm>();
    setup::SetupConfig& c = form_->SetupConfig;
    c.SetText(setup::field::kProductName, "TAVRO-X");
    c.SetText(setup::field::kVersionText, "V18.5");
    c.SetText(setup::field::kIntroText, "一款简单易用的文件加密软件，保护您的隐私与数据安全。");
    c.SetText(setup::field::kFolderName, "TAVRO-X");
    c.SetText(setup::field::kInstallFolder, "C:\\TAVRO-X");
  }

  void ShowWindow() {
    app_.ShowMainForm(*form_);
    app_.ProcessMessages();
  }

  // Makes page `index` the active page and lets the window catch up.
  void ShowPage(int index) {
    form_->PageCtl.SetActivePage(index);
    app_.ProcessMessages();
  }

  RECT WindowRect() const {
    RECT r;
    GetWindowRect(form_->Handle(), &r);
    return r;
  }

  Image CaptureWindow() {
    app_.ProcessMessages();
    return CaptureSettled(WindowRect());
  }

  void SaveArtifact(const Image& image, const std::wstring& name) {
    const std::wstring dir = testing_support::EnvVar(L"ARTIFACT_DIR");
    if (!dir.empty()) testing_support::SavePng(image, dir + L"\\" + name);
  }

  ui::Application app_;
  std::unique_ptr<TMainForm> form_;
};

// How a control's size is checked against the design.
enum class Size {
  kExact,     // as designed
  kMeasured,  // a label sized to its text: the design's size, give or take
              // what the machine's stand-in fonts draw differently
  kWrapped,   // a wrapping label: the designed width, a measured height
  kAny,       // a label with no designed size
};

struct Expected {
  int id;
  int parent;  // kForm, or the control id of the container
  RECT rect;   // left, top, right, bottom in the parent's client area
  bool visible;
  const char* text;  // GBK
  Size size = Size::kExact;
};

// The layout as designed, before any page has been shown.
const Expected kLayout[] = {
    {ctl::kLabel1, kForm, {24, 236, 122, 255}, true, "example.com", Size::kMeasured},
    {ctl::kBevel1, kForm, {133, 244, 512, 246}, true, ""},
    {ctl::kPageCtl, kForm, {1, 60, 527, 241}, true, ""},
    {ctl::kSuiButton1, kForm, {216, 250, 307, 280}, false, "上一步"},
    {ctl::kSuiButton2, kForm, {320, 250, 409, 280}, true, "下一步"},
    {ctl::kSuiButton3, kForm, {424, 250, 515, 280}, true, "取消"},
    {ctl::kSuiButton4, kForm, {320, 250, 411, 280}, false, "同意"},
    {ctl::kButton1, kForm, {8, 256, 83, 281}, false, "kill up1"},
    {ctl::kButton2, kForm, {72, 256, 147, 281}, false, "kill up2"},
    {ctl::kBPing, kForm, {152, 256, 201, 281}, false, "BPing"},
    {ctl::kPanel1, kForm, {0, 0, 537, 81}, true, ""},
    {ctl::kLabel8, ctl::kPanel1, {16, 16, 0, 0}, true, "PageLb", Size::kAny},
    {ctl::kLabel12, ctl::kPanel1, {16, 49, 0, 0}, true, "PageLb2", Size::kAny},
    {ctl::kLabel20, ctl::kPanel1, {400, 16, 520, 33}, true, "澄宇软件科技荣誉出品", Size::kMeasured},
    {ctl::kSheet0, ctl::kPageCtl, {0, 0, 526, 181}, true, "欢迎界面"},
    {ctl::kSheet1, ctl::kPageCtl, {0, 0, 526, 181}, false, "许可协议"},
    {ctl::kSheet2, ctl::kPageCtl, {0, 0, 526, 181}, false, "选择目录"},
    {ctl::kSheet3, ctl::kPageCtl, {0, 0, 526, 181}, false, "开始安装"},
    {ctl::kSheet4, ctl::kPageCtl, {0, 0, 526, 181}, false, "复制文件"},
    {ctl::kSheet5, ctl::kPageCtl, {0, 0, 526, 181}, false, "显示成功"},
    {ctl::kLabel10, ctl::kSheet0, {168, 76, 219, 93}, true, "软件名称:", Size::kMeasured},
    {ctl::kLabel11, ctl::kSheet0, {168, 100, 219, 117}, true, "发行版本:", Size::kMeasured},
    {ctl::kLabel9, ctl::kSheet0, {168, 124, 219, 141}, true, "软件简介:", Size::kMeasured},
    {ctl::kNameLb, ctl::kSheet0, {230, 76, 368, 0}, true, "NameLb", Size::kWrapped},
    {ctl::kVerLb, ctl::kSheet0, {230, 100, 278, 0}, true, "VerLb", Size::kWrapped},
    {ctl::kIntroLb, ctl::kSheet0, {230, 124, 372, 0}, true, "IntroLb", Size::kWrapped},
    {ctl::kLabel7, ctl::kSheet0, {335, 20, 516, 37}, true, "版权所有 2009-2024 澄宇软件", Size::kMeasured},
    {ctl::kImage2, ctl::kSheet1, {208, 40, 425, 129}, true, ""},
    {ctl::kLabel19, ctl::kSheet1, {154, 152, 190, 169}, true, "请阅读", Size::kMeasured},
    {ctl::kSuiURLLabel1, ctl::kSheet1, {192, 152, 288, 169}, true, "“软件许可协议”", Size::kMeasured},
    {ctl::kLabel21, ctl::kSheet1, {290, 152, 494, 169}, true, "如果您同意协议请按“同意”进行安装", Size::kMeasured},
    {ctl::kLabel16, ctl::kSheet2, {184, 86, 427, 0}, true, "如果有两个以上分区，建议安装到非系统分区:", Size::kWrapped},
    {ctl::kFolderEd, ctl::kSheet2, {184, 108, 410, 131}, true, ""},
    {ctl::kSuiImageButton1, ctl::kSheet2, {410, 109, 449, 134}, true, ""},
    {ctl::kLabelPF, ctl::kSheet2, {8, 40, 24, 57}, false, "C:\\", Size::kMeasured},
    {ctl::kLabel2, ctl::kSheet3, {184, 88, 244, 105}, true, "安装提示：", Size::kMeasured},
    {ctl::kLabel17, ctl::kSheet3, {184, 112, 256, 129}, true, "目标文件夹：", Size::kMeasured},
    {ctl::kFolderLb, ctl::kSheet3, {264, 112, 381, 0}, true, "FolderLb", Size::kWrapped},
    {ctl::kWorkLb, ctl::kSheet4, {200, 52, 275, 0}, true, "正在复制文件:", Size::kWrapped},
    {ctl::kFNameLb, ctl::kSheet4, {200, 76, 275, 0}, true, "文件复制进度:", Size::kWrapped},
    {ctl::kCopyProgress, ctl::kSheet4, {200, 104, 500, 122}, true, ""},
    {ctl::kImage3, ctl::kSheet5, {136, 81, 193, 137}, true, ""},
    {ctl::kLabel4, ctl::kSheet5, {200, 84, 276, 101}, true, "软件安装成功!", Size::kWrapped},
    {ctl::kLabel6, ctl::kSheet5, {200, 108, 445, 0}, true, "Label6", Size::kWrapped},
    {ctl::kStartProgramCb, ctl::kSheet5, {368, 24, 609, 41}, true, "怎样加密？看看使用教程"},
};

void ExpectPlaced(HWND form, const Expected& e) {
  const char* name = ctl::NameOf(e.id);
  SCOPED_TRACE(name ? name : "?");
  HWND hwnd = FindControl(form, e.id);
  ASSERT_NE(hwnd, nullptr);
  HWND parent = GetParent(hwnd);
  EXPECT_EQ(e.parent == kForm ? form : FindControl(form, e.parent), parent);
  EXPECT_EQ(e.visible, (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0);
  EXPECT_EQ(e.text, WindowText(hwnd));
  const RECT r = RectInParent(hwnd);
  EXPECT_EQ(e.rect.left, r.left);
  EXPECT_EQ(e.rect.top, r.top);
  switch (e.size) {
    case Size::kExact:
      EXPECT_EQ(e.rect.right, r.right);
      EXPECT_EQ(e.rect.bottom, r.bottom);
      break;
    case Size::kMeasured:
      EXPECT_NEAR(e.rect.right - e.rect.left, r.right - r.left, 40);
      EXPECT_NEAR(e.rect.bottom - e.rect.top, r.bottom - r.top, 4);
      break;
    case Size::kWrapped:
      EXPECT_EQ(e.rect.right, r.right);
      EXPECT_GE(r.bottom - r.top, 12);  // at least one line of a 12-pixel font
      break;
    case Size::kAny:
      EXPECT_GT(r.right - r.left, 0);
      EXPECT_GT(r.bottom - r.top, 0);
      break;
  }
}

TEST_F(MainWindowTest, EveryControlIsWhereTheLayoutPutsIt) {
  HWND form = form_->Handle();
  for (const Expected& e : kLayout) ExpectPlaced(form, e);
  // Every control of the layout is there, and nothing else has an id.
  EXPECT_EQ(std::size(ctl::kNames), std::size(kLayout));
}

TEST_F(MainWindowTest, WindowIsBorderlessCentredAndOwnedByTheApplication) {
  ShowWindow();
  HWND hwnd = form_->Handle();
  wchar_t className[64] = {};
  GetClassNameW(hwnd, className, 64);
  EXPECT_STREQ(L"TMainForm", className);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU));
  RECT client, outer;
  GetClientRect(hwnd, &client);
  GetWindowRect(hwnd, &outer);
  EXPECT_EQ(537, client.right);
  EXPECT_EQ(297, client.bottom);
  EXPECT_EQ(537, outer.right - outer.left);
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 537) / 2, outer.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 297) / 2, outer.top);
  EXPECT_EQ(app_.Handle(), GetWindow(hwnd, GW_OWNER));

  // The application's window carries the taskbar title and shows nothing.
  HWND appWindow = app_.Handle();
  GetClassNameW(appWindow, className, 64);
  EXPECT_STREQ(L"TApplication", className);
  EXPECT_TRUE(IsWindowVisible(appWindow));
  GetWindowRect(appWindow, &outer);
  EXPECT_EQ(0, outer.right - outer.left);
  EXPECT_EQ(0, outer.bottom - outer.top);
  EXPECT_EQ("TAVRO-X 安装向导", WindowText(appWindow));
  EXPECT_EQ("TAVRO-X安装向导", WindowText(hwnd));
}

struct Face {
  int id;
  const wchar_t* face;
  int pixelHeight;
  bool bold;
  bool underline;
  BYTE charset;
};

const Face kFaces[] = {
    {ctl::kLabel1, L"Gadugi", 16, false, false, ANSI_CHARSET},
    {ctl::kSuiButton1, L"微软雅黑", 12, false, false, ANSI_CHARSET},
    {ctl::kSuiButton2, L"微软雅黑", 12, false, false, GB2312_CHARSET},
    {ctl::kSuiButton3, L"微软雅黑", 12, false, false, ANSI_CHARSET},
    {ctl::kSuiButton4, L"微软雅黑", 12, false, false, ANSI_CHARSET},
    {ctl::kButton1, L"宋体", 12, false, false, GB2312_CHARSET},
    {ctl::kLabel8, L"微软雅黑", 12, true, false, GB2312_CHARSET},
    {ctl::kLabel12, L"微软雅黑", 12, false, false, GB2312_CHARSET},
    {ctl::kLabel20, L"微软雅黑", 12, true, false, GB2312_CHARSET},
    {ctl::kLabel10, L"微软雅黑", 12, false, false, GB2312_CHARSET},
    {ctl::kSuiURLLabel1, L"微软雅黑", 12, false, true, ANSI_CHARSET},
    {ctl::kFolderEd, L"微软雅黑", 12, false, false, GB2312_CHARSET},
    {ctl::kStartProgramCb, L"微软雅黑", 12, false, false, GB2312_CHARSET},
};

TEST_F(MainWindowTest, ControlsUseTheDesignFonts) {
  for (const Face& f : kFaces) {
    SCOPED_TRACE(ctl::NameOf(f.id));
    HWND hwnd = FindControl(form_->Handle(), f.id);
    ASSERT_NE(hwnd, nullptr);
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_STREQ(f.face, font.lfFaceName);
    EXPECT_EQ(-f.pixelHeight, font.lfHeight);
    EXPECT_EQ(f.bold ? FW_BOLD : FW_NORMAL, font.lfWeight);
    EXPECT_EQ(f.underline, font.lfUnderline != 0);
    EXPECT_EQ(f.charset, font.lfCharSet);
  }
  // Text colours.
  using namespace ui::color;
  EXPECT_EQ(kGray, form_->Label1.EffectiveFont().color);
  EXPECT_EQ(kWhite, form_->Label8.EffectiveFont().color);
  EXPECT_EQ(kWhite, form_->Label20.EffectiveFont().color);
  EXPECT_EQ(kBlack, form_->suiButton2.EffectiveFont().color);
  EXPECT_EQ(kGray, form_->NameLb.EffectiveFont().color);
  EXPECT_EQ(kBlack, form_->LabelPF.EffectiveFont().color);  // page 2's own font
  EXPECT_EQ(kGray, form_->Label16.EffectiveFont().color);
  EXPECT_EQ(kGray, form_->FolderEd.EffectiveFont().color);
  EXPECT_EQ(kBlue, form_->suiURLLabel1.CurrentColor());  // until start-up greys it
}

// What each page shows once its show handler has run.
struct PageState {
  int page;
  const char* title;
  const char* subtitle;
  bool back, next, cancelEnabled;
  const char* cancel;
};

const PageState kPages[] = {
    {0, "青岚星安装程序", "本安装程序将TAVRO-X软件安装到您的计算机上", false, true, true, "取消"},
    {1, "软件许可协议", "请认真阅读本软件的许可协议", true, true, true, "取消"},
    {2, "选择安装目标文件夹", "您所选择的文件夹将存放该软件的所有文件", true, true, true, "取消"},
    {3, "开始安装", "选择结束,即将开始安装工作", true, true, true, "取消"},
    {4, "正在安装...", "安装程序正在复制文件,注册信息,创建快捷方式", false, false, false, "取消"},
    {5, "安装完毕", "已经完成本软件的所有安装工作", false, false, true, "完成"},
};

TEST_F(MainWindowTest, EachPageSetsItsHeaderAndButtons) {
  ShowWindow();
  for (const PageState& p : kPages) {
    SCOPED_TRACE("page " + std::to_string(p.page));
    ShowPage(p.page);
    EXPECT_EQ(p.page, form_->PageCtl.ActivePage());
    EXPECT_EQ(p.title, form_->Label8.Text());
    EXPECT_EQ(p.subtitle, form_->Label12.Text());
    EXPECT_EQ(p.back, form_->suiButton1.Visible());
    EXPECT_EQ(p.next, form_->suiButton2.Visible());
    EXPECT_EQ(p.cancelEnabled, form_->suiButton3.Enabled());
    EXPECT_EQ(p.cancel, form_->suiButton3.Text());
    // Only the active page's controls can be seen.
    for (int other = 0; other < 6; ++other) {
      EXPECT_EQ(other == p.page, IsWindowVisible(form_->PageCtl.PageAt(other).Handle()) != 0) << other;
    }
    // The header sizes itself to the new texts.
    EXPECT_GT(form_->Label12.Width(), 100);
  }
}

TEST_F(MainWindowTest, PagesShowTheFactsOfTheRecord) {
  ShowWindow();  // page 0 shows with the window
  EXPECT_EQ("TAVRO-X", form_->NameLb.Text());
  EXPECT_EQ("V18.5", form_->VerLb.Text());
  EXPECT_EQ("一款简单易用的文件加密软件，保护您的隐私与数据安全。", form_->IntroLb.Text());
  EXPECT_EQ((ui::Rect{230, 124, 245, 80}), form_->IntroLb.Bounds());
  EXPECT_EQ("TAVRO-X安装向导", form_->Text());
  EXPECT_EQ("TAVRO-X 安装向导", app_.Title());

  ShowPage(2);
  EXPECT_EQ("C:\\TAVRO-X", form_->FolderEd.Text());
  ShowPage(3);
  EXPECT_EQ("C:\\TAVRO-X", form_->FolderLb.Text());
  EXPECT_EQ(200, form_->FolderLb.Width());
  ShowPage(5);
  EXPECT_EQ("请双击桌面的TAVRO-X图标运行软件。", form_->Label6.Text());
  EXPECT_TRUE(form_->StartProgramCb.Checked());
}

TEST_F(MainWindowTest, ALongProductNameWrapsAndALongIntroductionIsCut) {
  form_->SetupConfig.SetText(setup::field::kProductName, "TAVRO-X 文件加密专业版 企业增强套装 多用户授权");
  form_->SetupConfig.SetText(setup::field::kIntroText, std::string(40, 'x') + std::string(60, ' ') + "y");
  ShowWindow();
  EXPECT_EQ(138, form_->NameLb.Width());
  EXPECT_GT(form_->NameLb.Height(), 20);  // more than one line
  EXPECT_EQ(80, form_->IntroLb.Height());
}

// The header is the header blue; the licence picture shows its top-left
// 217 x 89 pixels unscaled; the finished picture shows unscaled.
TEST_F(MainWindowTest, PicturesAndColoursOnScreen) {
  ShowWindow();
  ShowPage(1);
  Image shot = CaptureWindow();
  EXPECT_EQ(RGB(133, 155, 222), At(shot, 300, 40));  // inside the header
  EXPECT_EQ(RGB(133, 155, 222), At(shot, 5, 75));

  const Image jpeg = BitmapPixels(form_->Image2.Bitmap());
  ASSERT_EQ(220, jpeg.width);
  ASSERT_EQ(98, jpeg.height);
  const int left = 1 + 208, top = 60 + 40;  // Image2 in window pixels
  int wrong = 0;
  for (int y = 0; y < 89; ++y) {
    for (int x = 0; x < 217; ++x) wrong += At(shot, left + x, top + y) != At(jpeg, x, y);
  }
  EXPECT_EQ(0, wrong);
  const COLORREF page = GetSysColor(COLOR_WINDOW);
  for (int y = 0; y < 89; ++y) EXPECT_EQ(page, At(shot, left + 217, top + y)) << y;
  for (int x = 0; x < 217; ++x) EXPECT_EQ(page, At(shot, left + x, top + 89)) << x;

  ShowPage(5);
  shot = CaptureWindow();
  const Image bmp = BitmapPixels(form_->Image3.Bitmap());
  ASSERT_EQ(48, bmp.width);
  ASSERT_EQ(48, bmp.height);
  wrong = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) wrong += At(shot, 1 + 136 + x, 60 + 81 + y) != At(bmp, x, y);
  }
  EXPECT_EQ(0, wrong);
  EXPECT_EQ(page, At(shot, 1 + 136 + 50, 60 + 81 + 50));
}

// Later controls lie above earlier ones: the header over the top rows of
// the page control, Agree over Next until it is moved away.
TEST_F(MainWindowTest, StackingFollowsTheCreationOrder) {
  ShowWindow();
  ShowPage(1);
  auto at = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(form_->Handle(), &p);
    return WindowFromPoint(p);
  };
  EXPECT_EQ(form_->Panel1.Handle(), at(100, 70));         // page control starts at row 60
  EXPECT_EQ(form_->PageCtl.PageAt(1).Handle(), at(100, 90));
  EXPECT_EQ(form_->suiButton2.Handle(), at(364, 265));    // Next
  form_->suiButton4.Show();
  EXPECT_EQ(form_->suiButton4.Handle(), at(321, 251));    // Agree covers Next wholly
  EXPECT_EQ(form_->suiButton4.Handle(), at(408, 279));
  form_->suiButton4.SetTop(-32);
  EXPECT_EQ((ui::Rect{320, -32, 91, 30}), form_->suiButton4.Bounds());  // rows -32 to -3
  EXPECT_EQ(form_->suiButton2.Handle(), at(364, 265));
}

// The browse button's folder is filled, and an outline while the mouse is
// on it; the link turns orange under the mouse.
TEST_F(MainWindowTest, HoverLooks) {
  ShowWindow();
  ShowPage(2);
  const ui::Rect b = form_->suiImageButton1.Bounds();
  POINT centre{b.left + b.width / 2, b.top + b.height / 2};
  ClientToScreen(form_->Sheet2.Handle(), &centre);
  RECT area{centre.x - 12, centre.y - 9, centre.x + 12, centre.y + 10};  // the 24 x 19 picture
  auto folderOnScreen = [&] { return CaptureSettled(area); };

  SetCursorPos(0, 0);
  app_.ProcessMessages();
  win::UniqueGdiObject filled = ui::LoadBitmapResource(IDB_FOLDER_FILLED);
  win::UniqueGdiObject outline = ui::LoadBitmapResource(IDB_FOLDER_OUTLINE);
  EXPECT_EQ(BitmapPixels(filled.get()), folderOnScreen());

  SetCursorPos(centre.x, centre.y);
  for (int i = 0; i < 50 && !form_->suiImageButton1.Hover(); ++i) {
    Sleep(20);
    app_.ProcessMessages();
  }
  ASSERT_TRUE(form_->suiImageButton1.Hover());
  EXPECT_EQ(BitmapPixels(outline.get()), folderOnScreen());
  SaveArtifact(CaptureWindow(), L"page2_hover.png");

  SetCursorPos(0, 0);
  for (int i = 0; i < 50 && form_->suiImageButton1.Hover(); ++i) {
    Sleep(20);
    app_.ProcessMessages();
  }
  EXPECT_EQ(BitmapPixels(filled.get()), folderOnScreen());

  ShowPage(1);
  form_->suiURLLabel1.SetLinkColor(ui::color::kGray);
  POINT link{form_->suiURLLabel1.Left() + 10, form_->suiURLLabel1.Top() + 8};
  ClientToScreen(form_->Sheet1.Handle(), &link);
  SetCursorPos(link.x, link.y);
  for (int i = 0; i < 50 && form_->suiURLLabel1.CurrentColor() == ui::color::kGray; ++i) {
    Sleep(20);
    app_.ProcessMessages();
  }
  EXPECT_EQ(ui::color::kHoverOrange, form_->suiURLLabel1.CurrentColor());
  SetCursorPos(0, 0);
  for (int i = 0; i < 50 && form_->suiURLLabel1.CurrentColor() != ui::color::kGray; ++i) {
    Sleep(20);
    app_.ProcessMessages();
  }
  EXPECT_EQ(ui::color::kGray, form_->suiURLLabel1.CurrentColor());
}

TEST_F(MainWindowTest, ScreenshotsOfEveryPage) {
  form_->suiURLLabel1.SetLinkColor(ui::color::kGray);  // as start-up does
  ShowWindow();
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SaveArtifact(CaptureSettled(screen), L"screen.png");
  for (int page = 0; page < 6; ++page) {
    ShowPage(page);
    SaveArtifact(CaptureWindow(), L"page" + std::to_wstring(page) + L".png");
  }
}

}  // namespace
