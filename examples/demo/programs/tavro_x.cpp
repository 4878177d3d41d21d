// TAVRO-X.exe, the demo product's program: one small window that says what
// it is, with a button to close it.
#include <windows.h>

namespace {

constexpr int kCloseButton = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
      HWND text = CreateWindowExW(0, L"STATIC",
                                  L"这是 TAVRO-X V18.5 演示产品。\r\n\r\n"
                                  L"它由安装向导安装，用来展示安装的结果：\r\n"
                                  L"桌面和开始菜单中的快捷方式都指向本程序。",
                                  WS_CHILD | WS_VISIBLE, 20, 20, 380, 90, window, nullptr, nullptr, nullptr);
      HWND close = CreateWindowExW(0, L"BUTTON", L"关闭", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                   300, 120, 100, 28, window, reinterpret_cast<HMENU>(kCloseButton), nullptr, nullptr);
      SendMessageW(text, WM_SETFONT, font, FALSE);
      SendMessageW(close, WM_SETFONT, font, FALSE);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kCloseButton || LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"TavroXDemoWindow";
  if (!RegisterClassW(&windowClass)) return 1;

  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"TAVRO-X", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 440, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}
