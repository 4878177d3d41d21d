#pragma once
// Paths and scratch folders for the Windows tests.
#include <string>

namespace testing_support {

// A Linux path seen through Wine's drive Z: ("/a/b" -> "Z:\a\b").
std::wstring WinPathFromUnix(const std::string& unixPath);

// The installer stub built beside the tests (environment SETUP_STUB).
std::wstring StubPath();

// A Windows environment variable, empty when unset.
std::wstring EnvVar(const wchar_t* name);

// A fresh folder below C:\ that is removed with everything in it when the
// guard goes; `path()` has no trailing backslash.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& stem = L"scratch");
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Removes a folder tree, clearing read-only attributes on the way.
void RemoveTree(const std::wstring& path);

// Reads and writes whole files.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace testing_support
