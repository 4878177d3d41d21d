#pragma once
// Existence tests on GBK paths, through the W functions.
#include <string_view>

namespace win {

// The path exists and is a directory.
bool DirectoryExists(std::string_view gbkPath);
// The path exists and is not a directory.
bool FileExists(std::string_view gbkPath);

}  // namespace win
