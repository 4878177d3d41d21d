#include "package/package_resources.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/error.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace setup {
namespace {

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Quoted(const std::wstring& path) { return "\"" + win::Utf8FromWide(path) + "\""; }

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) win::ThrowSystemError("Cannot open file " + Quoted(path));
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) win::ThrowSystemError("Cannot read file " + Quoted(path));
  if (size.QuadPart > 0x7fffffff) throw Error("File " + Quoted(path) + " is too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    win::ThrowSystemError("Cannot read file " + Quoted(path));
  }
  return bytes;
}

HMODULE packageModule = nullptr;
std::wstring folderOverride;

}  // namespace

void SetPackageSourceForTesting(void* module, std::wstring folder) {
  packageModule = static_cast<HMODULE>(module);
  folderOverride = std::move(folder);
}

std::span<const uint8_t> OwnResource(const wchar_t* name) {
  HMODULE self = packageModule ? packageModule : GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(self, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL handle = info ? LoadResource(self, info) : nullptr;
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) throw Error("Resource " + win::Utf8FromWide(name) + " not found");
  return {static_cast<const uint8_t*>(data), SizeofResource(self, info)};
}

std::wstring ExecutableFolder() {
  if (!folderOverride.empty()) return folderOverride;
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) win::ThrowSystemError("Cannot find the installer's own file");
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.resize(path.find_last_of(L'\\') + 1);  // keeps the backslash
  return path;
}

void SaveConfigResource(const std::wstring& fileName) {
  const std::span<const uint8_t> bytes = OwnResource(kConfigResource);
  if (FileExists(fileName)) DeleteFileW(fileName.c_str());  // a failure shows in the create below
  win::UniqueFile file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) win::ThrowSystemError("Cannot create file " + Quoted(fileName));
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    win::ThrowSystemError("Cannot write file " + Quoted(fileName));
  }
}

void LoadConfigFile(const std::wstring& fileName, SetupConfig& config) {
  if (!FileExists(fileName)) return;
  const std::vector<uint8_t> framed = ReadWholeFile(fileName);
  const ByteBuffer record = InflateFramed(framed);
  std::copy_n(record.data(), std::min(record.size(), kConfigSize), config.bytes().begin());
}

void UnpackConfigThroughTempFile(SetupConfig& config) {
  const std::wstring temp = ExecutableFolder() + L"tmp.cx";
  SaveConfigResource(temp);
  LoadConfigFile(temp, config);
  DeleteFileW(temp.c_str());
}

ByteBuffer LoadPayload() { return InflateFramed(OwnResource(kPayloadResource)); }

}  // namespace setup
