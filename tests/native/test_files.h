#pragma once
// Temporary folders, external commands and the built installer stubs, for
// the native tests of mksetup and the PE resource writer.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace testing_support {

// The bytes of a u8"..." literal (UTF-8) as a std::string: narrow
// literals are GBK in this project.
inline std::string Utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

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

// A small PE32+ image made by hand: headers (0x200 bytes), a .text section
// and a .rsrc section at RVA 0x2000, file offset 0x400, holding an empty
// resource directory.
inline std::vector<uint8_t> TinyPeImage() {
  std::vector<uint8_t> image(0x600, 0);
  image[0] = 'M';
  image[1] = 'Z';
  setup::WriteInt32LE(image, 0x3c, 0x80);
  setup::WriteInt32LE(image, 0x80, 0x00004550);
  const size_t coff = 0x84, opt = coff + 20;
  setup::WriteUInt16LE(image, coff, 0x8664);
  setup::WriteUInt16LE(image, coff + 2, 2);
  setup::WriteUInt16LE(image, coff + 16, 240);
  setup::WriteUInt16LE(image, opt, 0x20b);
  setup::WriteInt32LE(image, opt + 32, 0x1000);
  setup::WriteInt32LE(image, opt + 36, 0x200);
  setup::WriteInt32LE(image, opt + 56, 0x3000);
  setup::WriteInt32LE(image, opt + 60, 0x200);
  setup::WriteInt32LE(image, opt + 108, 16);
  setup::WriteInt32LE(image, opt + 112 + 8 * 2, 0x2000);  // resources at .rsrc
  setup::WriteInt32LE(image, opt + 112 + 8 * 2 + 4, 0x10);
  const auto section = [&](size_t index, const char* name, uint32_t rva, uint32_t raw) {
    const size_t at = opt + 240 + 40 * index;
    std::copy(name, name + std::strlen(name), image.begin() + static_cast<std::ptrdiff_t>(at));
    setup::WriteInt32LE(image, at + 8, 0x200);
    setup::WriteInt32LE(image, at + 12, static_cast<int32_t>(rva));
    setup::WriteInt32LE(image, at + 16, 0x200);
    setup::WriteInt32LE(image, at + 20, static_cast<int32_t>(raw));
    setup::WriteInt32LE(image, at + 36, 0x40000040);
  };
  section(0, ".text", 0x1000, 0x200);
  section(1, ".rsrc", 0x2000, 0x400);
  return image;
}

}  // namespace testing_support
