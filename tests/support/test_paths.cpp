#include "test_paths.h"

#include <windows.h>

#include <stdexcept>

#include "win/handles.h"
#include "win/text.h"

namespace testing_support {

std::wstring WinPathFromUnix(const std::string& unixPath) {
  std::wstring out = L"Z:";
  for (const wchar_t c : win::WideFromUtf8(unixPath)) out += (c == L'/') ? L'\\' : c;
  return out;
}

std::wstring EnvVar(const wchar_t* name) {
  const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), n));
  return value;
}

std::wstring StubPath() {
  const std::wstring stub = EnvVar(L"SETUP_STUB");
  if (stub.empty()) throw std::runtime_error("SETUP_STUB is not set");
  return stub[0] == L'/' ? WinPathFromUnix(win::Utf8FromWide(stub)) : stub;
}

ScratchFolder::ScratchFolder(const std::wstring& stem) {
  for (int i = 0;; ++i) {
    path_ = L"C:\\" + stem + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(i);
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a scratch folder");
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(path.c_str());
}

std::string ReadFileBytes(const std::wstring& path) {
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) throw std::runtime_error("cannot open " + win::Utf8FromWide(path));
  std::string bytes;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) throw std::runtime_error("cannot create " + win::Utf8FromWide(path));
  DWORD n = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) || n != bytes.size()) {
    throw std::runtime_error("cannot write " + win::Utf8FromWide(path));
  }
}

}  // namespace testing_support
