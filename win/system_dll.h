#pragma once
// Functions of system DLLs that are not among the system's known DLLs,
// loaded on first use from the system folder only. Linking them in the
// import table would let a DLL of the same name planted beside the
// installer (a downloads folder) be loaded before any code of ours runs.
#include <windows.h>

namespace win {

// The function `name` of the system DLL `dll`, or null when it is missing.
template <typename Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace win
