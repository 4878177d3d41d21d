#pragma once
// Temporary folders, external commands and the built installer stubs, for
// the native tests of mksetup and the PE resource writer.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace testing_support {

// A fresh folder below the system's temporary folder, removed with its
// content when the guard goes.
class TempDir {
 public:
  explicit TempDir(const std::string& stem = "native_test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + ".XXXXXX")).string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int status = -1;
  std::string output;  // standard output only
};

// Runs a shell command and collects its standard output.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return result;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  result.status = ::pclose(pipe);
  return result;
}

inline bool HaveTool(const std::string& tool) { return RunCommand("command -v " + tool).status == 0; }

// The installer stub of a Windows build ("win64", "win32") beside this
// native build; it may not be built yet.
inline std::filesystem::path StubOfBuild(const std::string& build) {
  return std::filesystem::path(BINARY_DIR).parent_path() / build / "app" / "setup.exe";
}

}  // namespace testing_support
