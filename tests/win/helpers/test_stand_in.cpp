// A process that the Windows tests start under a product's name.
//   test_stand_in.exe             waits (at most two minutes) until it is ended
//   test_stand_in.exe walk NAME   runs the process walk for NAME, then exits 7
#include <windows.h>

#include <cwchar>

#include "app/process_kill.h"
#include "win/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"walk") == 0) {
    setup::TerminateProcessesNamed(win::GbkFromWide(argv[2]).c_str());
    return 7;  // still alive after the walk
  }
  Sleep(120000);
  return 0;
}
