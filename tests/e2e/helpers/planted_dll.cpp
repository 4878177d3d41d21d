// A DLL that announces being loaded: copies of it, named like system DLLs,
// are planted beside an installer to prove the installer never loads them.
// On load it writes "<its own path>.loaded" and then refuses to stay, so
// the process goes on with nothing of it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8] = {};
  const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  lstrcpyW(path + n, L".loaded");
  HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return FALSE;
}
