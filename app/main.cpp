// Program entry of the installer.
#include <windows.h>

#include <string>

#include "base/error.h"
#include "package/checksum.h"
#include "package/package_resources.h"
#include "win/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything else loads: DLLs come from the system folder only, so a
  // DLL planted beside the installer (a downloads folder) is never loaded.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    setup::SetupConfig config;
    setup::UnpackConfigThroughTempFile(config);
    const setup::ByteBuffer payload = setup::LoadPayload();
    const bool ok = setup::ByteSum(payload.span()) == config.PackChecksum();
    return ok ? 0 : 2;
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, win::WideFromUtf8(e.what()).c_str(), L" TAVRO", MB_OK | MB_ICONERROR);
    return 1;
  }
}
