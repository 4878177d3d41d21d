// The widget layer's behaviour under a real display: the application
// object (message boxes, error report, terminate request, message loop),
// forms and their close request, the page control, labels, the link label,
// the skinned buttons, the focus order, and JPEG decoding.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "assets/resource_ids.h"
#include "base/error.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/image_loading.h"
#include "ui/label.h"
#include "ui/page_control.h"
#include "ui/skinned_buttons.h"
#include "ui/standard_controls.h"
#include "win/text.h"

namespace {

// A small form with one of each kind that the tests drive.
class TestForm : public ui::Form {
 public:
  TestForm() {
    CreateForm(L"TTestForm", "test", 300, 200);
    pages.Create(*this, 10, {0, 0, 300, 100});
    pages.AddPage(page0, 11, "zero", ui::Font{});
    pages.AddPage(page1, 12, "one", ui::Font{});
    edit.Create(page1, 13, {10, 10, 100, 20}, "");
    label.Create(*this, 20, {10, 110, 0, 0}, "short");
    wrapping.Create(*this, 21, {10, 130, 60, 0}, "w", true);
    link.Create(*this, 22, {150, 110, 0, 0}, "link");
    first.Create(*this, 30, {10, 170, 60, 25}, "first");
    hidden.Create(*this, 31, {80, 170, 60, 25}, "hidden");
    hidden.Hide();
    disabled.Create(*this, 32, {150, 170, 60, 25}, "disabled");
    disabled.Enable(false);
    last.Create(*this, 33, {220, 170, 60, 25}, "last");
  }
  ~TestForm() override { DestroyHandle(); }

  ui::PageControl pages;
  ui::Page page0, page1;
  ui::Edit edit;
  ui::Label label, wrapping;
  ui::LinkLabel link;
  ui::SkinButton first, hidden, disabled, last;
};

struct BoxCall {
  std::wstring text, caption;
  UINT flags;
  bool formEnabled;
};

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.Initialize();
    form_ = std::make_unique<TestForm>();
    app_.SetMessageBoxHook([this](const std::wstring& text, const std::wstring& caption, UINT flags) {
      boxes_.push_back({text, caption, flags, IsWindowEnabled(form_->Handle()) != 0});
      return answer_;
    });
  }

  void Show() {
    app_.ShowMainForm(*form_);
    app_.ProcessMessages();
  }

  ui::Application app_;
  std::unique_ptr<TestForm> form_;
  std::vector<BoxCall> boxes_;
  int answer_ = IDYES;
};

TEST_F(WidgetTest, MessageBoxIsModalForTheApplication) {
  Show();
  EXPECT_EQ(IDYES, app_.MessageBox("  提示：请选择目标文件夹！     ", " TAVRO", 36));
  ASSERT_EQ(1u, boxes_.size());
  EXPECT_EQ(L"  提示：请选择目标文件夹！     ", boxes_[0].text);
  EXPECT_EQ(L" TAVRO", boxes_[0].caption);
  EXPECT_EQ(36u, boxes_[0].flags);
  EXPECT_FALSE(boxes_[0].formEnabled);  // while the box is open
  EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
}

TEST_F(WidgetTest, AnErrorEscapingAHandlerIsReportedAndTheWindowGoesOn) {
  Show();
  app_.SetTitle("TAVRO-X 安装向导");
  int clicks = 0;
  form_->first.OnClick = [&] {
    ++clicks;
    throw setup::Error(win::Utf8FromWide(L"cannot create C:\\x\\tmp.cx: 拒绝访问。"));
  };
  // A click as the user makes it: through the parent's window procedure.
  SendMessageW(form_->first.Handle(), BM_CLICK, 0, 0);
  SendMessageW(form_->first.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(2, clicks);
  ASSERT_EQ(2u, boxes_.size());
  EXPECT_EQ(L"cannot create C:\\x\\tmp.cx: 拒绝访问。", boxes_[0].text);
  EXPECT_EQ(L"TAVRO-X 安装向导", boxes_[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes_[0].flags);
}

TEST_F(WidgetTest, ClickByCodeRunsTheHandlerAtOnceEvenWhenHidden) {
  int clicks = 0;
  form_->hidden.OnClick = [&] { ++clicks; };
  form_->hidden.Click();
  EXPECT_EQ(1, clicks);
}

TEST_F(WidgetTest, DoubleClickOnASkinnedButtonCountsAsTwoClicks) {
  Show();
  int clicks = 0;
  form_->first.OnClick = [&] { ++clicks; };
  HWND b = form_->first.Handle();
  const LPARAM at = MAKELPARAM(5, 5);
  SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(b, WM_LBUTTONUP, 0, at);
  SendMessageW(b, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(b, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(2, clicks);
}

TEST_F(WidgetTest, EnterClicksTheFocusedButton) {
  Show();
  int clicks = 0;
  form_->last.OnClick = [&] { ++clicks; };
  SendMessageW(form_->last.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(1, clicks);
}

TEST_F(WidgetTest, TabFollowsCreationOrderOverVisibleEnabledControls) {
  Show();
  // Page 0 is active: the edit box on page 1 cannot be seen.
  EXPECT_EQ(form_->first.Handle(), GetFocus());
  form_->SelectNext(false);
  EXPECT_EQ(form_->last.Handle(), GetFocus());  // hidden and disabled skipped
  form_->SelectNext(false);
  EXPECT_EQ(form_->first.Handle(), GetFocus());  // round again
  form_->SelectNext(true);
  EXPECT_EQ(form_->last.Handle(), GetFocus());
  form_->pages.SetActivePage(1);
  form_->SelectNext(false);
  EXPECT_EQ(form_->edit.Handle(), GetFocus());  // the page's controls come first
}

TEST_F(WidgetTest, PageShowRunsWhenThePageBecomesVisible) {
  std::vector<int> shown;
  form_->page0.OnShow = [&] { shown.push_back(0); };
  form_->page1.OnShow = [&] { shown.push_back(1); };
  form_->pages.SetActivePage(1);  // the form is hidden: nothing is shown yet
  EXPECT_TRUE(shown.empty());
  Show();  // now page 1 becomes visible
  EXPECT_EQ((std::vector<int>{1}), shown);
  form_->pages.SetActivePage(1);  // already active
  form_->pages.SetActivePage(0);
  EXPECT_EQ((std::vector<int>{1, 0}), shown);
  EXPECT_EQ(0, form_->pages.ActivePage());
  EXPECT_TRUE(IsWindowVisible(form_->page0.Handle()));
  EXPECT_FALSE(IsWindowVisible(form_->page1.Handle()));
  EXPECT_FALSE(IsWindowVisible(form_->edit.Handle()));
  EXPECT_TRUE(form_->edit.Visible());  // itself still "visible"
  EXPECT_THROW(form_->pages.SetActivePage(2), std::out_of_range);
}

TEST_F(WidgetTest, LabelsSizeThemselvesToTheirText) {
  const ui::Rect plain = form_->label.Bounds();
  form_->label.SetText("a much longer text than before");
  EXPECT_GT(form_->label.Width(), plain.width + 50);
  EXPECT_EQ(plain.height, form_->label.Height());

  const ui::Rect wrap = form_->wrapping.Bounds();
  EXPECT_EQ(60, wrap.width);
  form_->wrapping.SetText("many words that cannot fit in sixty pixels");
  EXPECT_EQ(60, form_->wrapping.Width());
  EXPECT_GE(form_->wrapping.Height(), 3 * wrap.height);

  // Sizes set by code hold until the text changes again.
  form_->wrapping.SetWidth(200);
  form_->wrapping.SetHeight(40);
  EXPECT_EQ((ui::Rect{10, 130, 200, 40}), form_->wrapping.Bounds());
  form_->label.SetText("");
  EXPECT_EQ(plain.height, form_->label.Height());  // an empty label keeps a line
}

TEST_F(WidgetTest, LinkLabelOpensItsAddressUnlessBlank) {
  struct Case {
    const char* url;
    bool opens;
  } cases[] = {{"", false}, {" \t\r\n ", false}, {" http://www.example.com/license.asp ", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    std::vector<std::string> events;
    form_->link.SetUrl(c.url);
    form_->link.OpenUrl = [&](const std::string& url) { events.push_back("open " + url); };
    form_->link.OnClick = [&] { events.push_back("click"); };
    // A user's click arrives as the label's click notification.
    SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(22, STN_CLICKED),
                 reinterpret_cast<LPARAM>(form_->link.Handle()));
    std::vector<std::string> expected;
    if (c.opens) expected.push_back(std::string("open ") + c.url);  // untrimmed
    expected.push_back("click");
    EXPECT_EQ(expected, events);
  }
}

TEST_F(WidgetTest, LinkLabelColours) {
  EXPECT_EQ(ui::color::kGray, form_->link.CurrentColor());  // the font's colour at first
  form_->link.SetLinkColor(RGB(1, 2, 3));
  EXPECT_EQ(RGB(1, 2, 3), form_->link.CurrentColor());
  Show();
  SendMessageW(form_->link.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(ui::color::kHoverOrange, form_->link.CurrentColor());
  SendMessageW(form_->link.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(RGB(1, 2, 3), form_->link.CurrentColor());
}

// A close request, to the window itself or through the taskbar entry (the
// application's window), asks the form; granted, it ends the application.
TEST_F(WidgetTest, CloseRequestAsksTheForm) {
  struct Case {
    bool throughTaskbar;
    bool grant;
  } cases[] = {{false, false}, {true, false}, {true, true}, {false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "taskbar " << c.throughTaskbar << " grant " << c.grant);
    int asked = 0;
    form_->OnCloseQuery = [&](bool& canClose) {
      ++asked;
      EXPECT_TRUE(canClose);
      canClose = c.grant;
    };
    Show();
    SendMessageW(c.throughTaskbar ? app_.Handle() : form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(1, asked);
    EXPECT_EQ(c.grant, app_.Terminated());
    EXPECT_TRUE(IsWindow(form_->Handle()));  // windows go only after the loop
  }
}

// The taskbar entry belongs to the application's window; activating it
// brings the main window forward.
TEST_F(WidgetTest, ActivatingTheApplicationWindowActivatesTheMainForm) {
  Show();
  SetActiveWindow(app_.Handle());
  for (int i = 0; i < 50 && GetActiveWindow() != form_->Handle(); ++i) {
    Sleep(20);
    app_.ProcessMessages();
  }
  EXPECT_EQ(form_->Handle(), GetActiveWindow());
}

TEST_F(WidgetTest, RunStopsAfterTheHandlerThatAsksToTerminate) {
  bool afterTerminate = false;
  form_->first.OnClick = [&] {
    app_.Terminate();
    afterTerminate = true;  // the handler runs to its end
  };
  PostMessageW(form_->first.Handle(), BM_CLICK, 0, 0);
  app_.Run(*form_);
  EXPECT_TRUE(afterTerminate);
  EXPECT_TRUE(app_.Terminated());
}

TEST_F(WidgetTest, RunAfterATerminateRequestShowsNothing) {
  app_.Terminate();
  app_.Run(*form_);
  EXPECT_FALSE(IsWindowVisible(form_->Handle()));
}

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

// The message box that a handler opens after asking to terminate stays
// until it is answered.
TEST_F(WidgetTest, TerminateDoesNotTearDownAnOpenMessageBox) {
  app_.SetMessageBoxHook(nullptr);
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> stop{false};
  // Answers the box with No once it is on the screen.
  std::thread answerer([&] {
    for (int i = 0; i < 200 && !stop; ++i) {
      Sleep(50);
      HWND box = nullptr;
      EnumThreadWindows(thread, FindMessageBox, reinterpret_cast<LPARAM>(&box));
      if (box) {
        PostMessageW(box, WM_COMMAND, IDNO, 0);
        return;
      }
    }
  });
  int answer = 0;
  form_->first.OnClick = [&] {
    app_.Terminate();
    answer = app_.MessageBox("question", " TAVRO", MB_YESNO | MB_ICONQUESTION);
  };
  PostMessageW(form_->first.Handle(), BM_CLICK, 0, 0);
  app_.Run(*form_);
  stop = true;
  answerer.join();
  EXPECT_EQ(IDNO, answer);
  EXPECT_TRUE(app_.Terminated());
}

TEST(JpegTest, DecodesThePictureAndRejectsDamagedData) {
  win::UniqueGdiObject picture = ui::DecodeJpeg(ui::RcDataResource(IDR_LICENCE_JPEG));
  const SIZE size = ui::BitmapSize(picture.get());
  EXPECT_EQ(220, size.cx);
  EXPECT_EQ(98, size.cy);

  // libjpeg's own handler would end the process; ours throws.
  const std::span<const uint8_t> good = ui::RcDataResource(IDR_LICENCE_JPEG);
  const std::vector<uint8_t> cut(good.begin(), good.begin() + 200);
  const std::vector<uint8_t> noise(500, 0x5A);
  for (const auto& bad : {std::vector<uint8_t>{}, noise, cut}) {
    try {
      ui::DecodeJpeg(bad);
      // A stream cut short decodes with grey rows, as libjpeg does; only
      // data that is not a JPEG at all must fail.
      EXPECT_EQ(cut, bad);
    } catch (const setup::Error& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("JPEG")) << e.what();
    }
  }
}

}  // namespace
