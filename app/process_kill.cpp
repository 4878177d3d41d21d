#include "app/process_kill.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string_view>

#include "win/handles.h"
#include "win/text.h"

namespace setup {

void TerminateProcessesNamed(const char* exeName) noexcept {
  if (!exeName) return;
  try {
    const std::string_view wanted = exeName;
    const win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    const DWORD self = GetCurrentProcessId();

    // The wide entry, its name turned into GBK bytes: the same bytes a GBK
    // system's ANSI entry holds, whatever this machine's ANSI code page is.
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
      const std::wstring_view name(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
      // An installer file that carries one of the names must not end itself.
      if (entry.th32ProcessID == self || win::GbkFromWide(name) != wanted) continue;
      const win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
      if (process) TerminateProcess(process.get(), static_cast<UINT>(-1));
    }
  } catch (...) {
    // Only an allocation can fail here; the walk then ends silently.
  }
}

}  // namespace setup
