// Program entry of the installer: the application object, the one window,
// its start-up handler and the message loop.
#include <windows.h>

#include <memory>

#include "app/main_form.h"
#include "ui/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything else loads: DLLs come from the system folder only, so a
  // DLL planted beside the installer (say in a downloads folder) is never
  // loaded.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The installation blocks the window by design; this keeps Windows from
  // swapping it for a "not responding" ghost meanwhile.
  DisableProcessWindowsGhosting();

  ui::Application app;
  if (!app.Guard([&] { app.Initialize(); })) return 1;
  {
    auto form = std::make_unique<TMainForm>();
    // An error that ends start-up is reported here; the window still opens.
    app.Guard([&] { form->FormCreate(); });
    app.Run(*form);
  }  // the shadow, then the window, before the application
  return 0;
}
