// A stand-in for the wizard window, to prove the UI driver and the screen
// capture against a program of known behaviour: the same window classes,
// control IDs and kinds of controls as the wizard, six pages walked with
// Next, an Agree button lying over Next, a busy installation page, and the
// system's message boxes for Cancel and the close request.
//
// Exit codes tell a test how the program ended: 2 Cancel answered Yes,
// 3 close request answered Yes, 10 Finish with the check box cleared,
// 11 Finish with it ticked.
#include <windows.h>
#include <commctrl.h>

#include "app/control_ids.h"

namespace {

// Colours the screenshot test looks for.
constexpr COLORREF kHeaderBlue = RGB(133, 155, 222);
constexpr COLORREF kButtonFace = RGB(200, 225, 255);

HWND g_main = nullptr;
int g_page = 0;
HBRUSH g_headerBrush = nullptr;

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

// Controls lie on panels and pages: looks through the whole tree.
HWND Item(int id) {
  Search search{id, nullptr};
  EnumChildWindows(g_main, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Show(int id, bool visible) { ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }

void ShowPage(int page) {
  for (int i = 0; i < 6; ++i) Show(ctl::kSheet0 + i, i == page);
  g_page = page;
  wchar_t title[16] = L"第0页";
  title[1] = static_cast<wchar_t>(L'0' + page);
  SetWindowTextW(Item(ctl::kLabel8), title);
  Show(ctl::kSuiButton1, page >= 1 && page <= 3);
  Show(ctl::kSuiButton2, page <= 3);
  EnableWindow(Item(ctl::kSuiButton3), page != 4);
  if (page == 5) SetWindowTextW(Item(ctl::kSuiButton3), L"完成");
}

// The installation page: busy on the window's own thread, answering no
// messages, as the wizard's engine is; for over 5 s, so that the system
// counts the program as hung meanwhile.
void RunInstallation() {
  ShowPage(4);
  RedrawWindow(g_main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int step = 1; step <= 20; ++step) {
    Sleep(300);
    SendMessageW(Item(ctl::kCopyProgress), PBM_SETPOS, step * 5, 0);
    SetWindowTextW(Item(ctl::kWorkLb), step < 20 ? L"正在复制文件:" : L"复制完成");
    UpdateWindow(Item(ctl::kCopyProgress));
  }
  ShowPage(5);
}

void Next() {
  Show(ctl::kSuiButton4, true);
  switch (g_page) {
    case 0:
    case 1:
      ShowPage(g_page + 1);
      break;
    case 2: {
      wchar_t folder[260] = {};
      GetWindowTextW(Item(ctl::kFolderEd), folder, 260);
      if (!folder[0]) {
        MessageBoxW(g_main, L"  提示：请选择目标文件夹！", L" TAVRO", MB_OK | MB_ICONEXCLAMATION);
        break;
      }
      SetWindowTextW(Item(ctl::kFolderLb), folder);
      ShowPage(3);
      break;
    }
    case 3:
      RunInstallation();
      break;
    default:
      break;
  }
}

bool AskToQuit(const wchar_t* caption) {
  return MessageBoxW(g_main, L"安装程序还没有完成。\r\n要退出安装吗？", caption,
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void OnCommand(int id) {
  switch (id) {
    case ctl::kSuiButton1:
      Show(ctl::kSuiButton4, false);
      if (g_page >= 1 && g_page <= 3) ShowPage(g_page - 1);
      break;
    case ctl::kSuiButton2:
      Next();
      break;
    case ctl::kSuiButton4: {
      HWND agree = Item(ctl::kSuiButton4);
      ShowWindow(agree, SW_HIDE);
      SetWindowPos(agree, nullptr, 320, -32, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      Next();
      break;
    }
    case ctl::kSuiURLLabel1:  // STN_CLICKED
      SetWindowTextW(Item(ctl::kLabel19), L"已点击");
      break;
    case ctl::kSuiButton3:
      if (g_page == 5) {
        PostQuitMessage(SendMessageW(Item(ctl::kStartProgramCb), BM_GETCHECK, 0, 0) == BST_CHECKED ? 11 : 10);
      } else if (g_page != 4 && AskToQuit(L" TAVRO")) {
        PostQuitMessage(2);
      }
      break;
    default:
      break;
  }
}

void DrawSkinnedButton(const DRAWITEMSTRUCT& item) {
  HBRUSH face = CreateSolidBrush(kButtonFace);
  FillRect(item.hDC, &item.rcItem, face);
  DeleteObject(face);
  FrameRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  wchar_t text[64] = {};
  GetWindowTextW(item.hwndItem, text, 64);
  RECT r = item.rcItem;
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? RGB(160, 160, 160) : RGB(0, 0, 0));
  DrawTextW(item.hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// Messages that the controls send their parent, answered wherever the
// control lies (on the window, the header panel or a page).
bool HandleControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));  // STN_CLICKED too: both are 0
      result = 0;
      return true;
    case WM_DRAWITEM:
      DrawSkinnedButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC: {
      HWND control = reinterpret_cast<HWND>(lParam);
      if (GetParent(control) != Item(ctl::kPanel1)) return false;
      SetBkColor(reinterpret_cast<HDC>(wParam), kHeaderBlue);
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      result = reinterpret_cast<LRESULT>(g_headerBrush);
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleControlMessage(message, wParam, lParam, result)) return result;
  if (message == WM_ERASEBKGND && GetDlgCtrlID(window) == ctl::kPanel1) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(reinterpret_cast<HDC>(wParam), &r, g_headerBrush);
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleControlMessage(message, wParam, lParam, result)) return result;
  if (message == WM_CLOSE) {
    if (g_page != 5 && AskToQuit(L"Confirm")) PostQuitMessage(3);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct ControlDef {
  int id;
  int parent;  // 0: the window itself
  const wchar_t* className;
  const wchar_t* text;
  int x, y, width, height;
  DWORD style;
};

constexpr DWORD kButton = BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD kVisible = WS_VISIBLE;

// Parents come before their children.
constexpr ControlDef kControls[] = {
    {ctl::kPanel1, 0, L"TStandinPanel", L"", 0, 0, 537, 81, kVisible},
    {ctl::kLabel8, ctl::kPanel1, L"STATIC", L"第0页", 16, 16, 200, 17, kVisible},
    {ctl::kLabel12, ctl::kPanel1, L"STATIC", L"Stand-in subtitle", 16, 49, 300, 17, kVisible},
    {ctl::kPageCtl, 0, L"TStandinPanel", L"", 1, 81, 526, 160, kVisible},
    {ctl::kSheet0, ctl::kPageCtl, L"TStandinPanel", L"", 0, 0, 526, 160, kVisible},
    {ctl::kSheet1, ctl::kPageCtl, L"TStandinPanel", L"", 0, 0, 526, 160, 0},
    {ctl::kSheet2, ctl::kPageCtl, L"TStandinPanel", L"", 0, 0, 526, 160, 0},
    {ctl::kSheet3, ctl::kPageCtl, L"TStandinPanel", L"", 0, 0, 526, 160, 0},
    {ctl::kSheet4, ctl::kPageCtl, L"TStandinPanel", L"", 0, 0, 526, 160, 0},
    {ctl::kSheet5, ctl::kPageCtl, L"TStandinPanel", L"", 0, 0, 526, 160, 0},
    {ctl::kNameLb, ctl::kSheet0, L"STATIC", L"UI stand-in", 230, 40, 138, 17, kVisible},
    {ctl::kLabel19, ctl::kSheet1, L"STATIC", L"请阅读", 154, 60, 60, 17, kVisible},
    {ctl::kSuiURLLabel1, ctl::kSheet1, L"STATIC", L"“软件许可协议”", 220, 60, 96, 17, kVisible | SS_NOTIFY},
    {ctl::kFolderEd, ctl::kSheet2, L"EDIT", L"C:\\Standin", 184, 40, 226, 23,
     kVisible | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
    {ctl::kFolderLb, ctl::kSheet3, L"STATIC", L"", 264, 40, 200, 17, kVisible},
    {ctl::kWorkLb, ctl::kSheet4, L"STATIC", L"", 200, 30, 150, 17, kVisible},
    {ctl::kCopyProgress, ctl::kSheet4, PROGRESS_CLASSW, L"", 200, 60, 300, 18, kVisible | PBS_SMOOTH},
    {ctl::kLabel4, ctl::kSheet5, L"STATIC", L"软件安装成功!", 200, 40, 100, 17, kVisible},
    {ctl::kStartProgramCb, ctl::kSheet5, L"BUTTON", L"看看使用教程", 200, 80, 200, 17,
     kVisible | BS_AUTOCHECKBOX | WS_TABSTOP},
    {ctl::kSuiButton1, 0, L"BUTTON", L"上一步", 216, 250, 91, 30, kButton},
    {ctl::kSuiButton2, 0, L"BUTTON", L"下一步", 320, 250, 89, 30, kButton | kVisible},
    {ctl::kSuiButton3, 0, L"BUTTON", L"取消", 424, 250, 91, 30, kButton | kVisible},
    {ctl::kSuiButton4, 0, L"BUTTON", L"同意", 320, 250, 91, 30, kButton},
};

void CreateControls(HINSTANCE instance) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlDef& c : kControls) {
    HWND parent = c.parent ? Item(c.parent) : g_main;
    HWND control = CreateWindowExW(0, c.className, c.text, WS_CHILD | WS_CLIPSIBLINGS | c.style, c.x, c.y, c.width,
                                   c.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendMessageW(Item(ctl::kStartProgramCb), BM_SETCHECK, BST_CHECKED, 0);
  // Agree lies above Next, as in the wizard.
  SetWindowPos(Item(ctl::kSuiButton4), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"TApplication";
  RegisterClassW(&wc);
  wc.lpfnWndProc = MainProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"TMainForm";
  RegisterClassW(&wc);
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = L"TStandinPanel";
  RegisterClassW(&wc);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  g_headerBrush = CreateSolidBrush(kHeaderBlue);
  RegisterClasses(instance);

  HWND app = CreateWindowExW(0, L"TApplication", L"Stand-in", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                             nullptr);
  RECT r{0, 0, 537, 297};
  AdjustWindowRectEx(&r, WS_POPUP, FALSE, 0);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  g_main = CreateWindowExW(0, L"TMainForm", L"Stand-in", WS_POPUP | WS_CLIPCHILDREN, x, y, width, height, app,
                           nullptr, instance, nullptr);
  CreateControls(instance);
  ShowPage(0);
  ShowWindow(g_main, SW_SHOW);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
