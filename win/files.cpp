#include "win/files.h"

#include <windows.h>

#include "win/text.h"

namespace win {
namespace {

DWORD Attributes(std::string_view gbkPath) { return GetFileAttributesW(WideFromGbk(gbkPath).c_str()); }

}  // namespace

bool DirectoryExists(std::string_view gbkPath) {
  const DWORD a = Attributes(gbkPath);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(std::string_view gbkPath) {
  const DWORD a = Attributes(gbkPath);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace win
