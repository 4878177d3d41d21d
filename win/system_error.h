#pragma once
// Errors of the system's own calls, turned into setup::Error with the
// system's reason appended.
#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// The system's text for an error code, without the trailing line break.
std::wstring SystemMessage(DWORD code);

// Throws setup::Error("<what>: <system's reason>"); `what` is UTF-8.
[[noreturn]] void ThrowSystemError(std::string_view what, DWORD code = GetLastError());

}  // namespace win
