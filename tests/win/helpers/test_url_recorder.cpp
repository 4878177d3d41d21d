// A stand-in browser: writes the command line it was started with (UTF-16)
// to "<own path>.<process id>.log" and exits. The file appears whole: it is
// written under another name first and then renamed. A GUI program, like a
// browser: starting it opens no console.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return 1;
  const std::wstring base = std::wstring(self) + L"." + std::to_wstring(GetCurrentProcessId());
  const std::wstring temp = base + L".tmp";
  const std::wstring commandLine = GetCommandLineW();

  const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(commandLine.size() * sizeof(wchar_t));
  const bool ok = WriteFile(file, commandLine.data(), size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok && MoveFileW(temp.c_str(), (base + L".log").c_str()) ? 0 : 1;
}
