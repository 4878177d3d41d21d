#include "win/registry.h"

#include <vector>

#include "base/error.h"
#include "win/system_error.h"
#include "win/text.h"

namespace win {
namespace {

std::wstring KeyPathFromRoot(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return WideFromGbk(path);
}

std::string Quoted(std::string_view name) { return "\"" + Utf8FromGbk(name) + "\""; }

}  // namespace

void Registry::SetRoot(HKEY root) {
  if (root != root_) CloseKey();
  root_ = root;
}

bool Registry::OpenKey(std::string_view path, bool canCreate) {
  CloseKey();
  const std::wstring wide = KeyPathFromRoot(path);
  HKEY key = nullptr;
  LSTATUS status;
  if (canCreate) {
    status = RegCreateKeyExW(root_, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                             nullptr, &key, nullptr);
  } else {
    status = RegOpenKeyExW(root_, wide.c_str(), 0, access_, &key);
  }
  if (status != ERROR_SUCCESS) return false;
  key_.reset(key);
  return true;
}

bool Registry::ReadBool(std::string_view name) const {
  if (!key_) throw setup::Error("No registry key is open to read " + Quoted(name));
  DWORD type = 0, value = 0, size = sizeof(value);
  const LSTATUS status = RegQueryValueExW(key_.get(), WideFromGbk(name).c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(&value), &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) {
    throw setup::Error("Invalid data type for registry value " + Quoted(name));
  }
  return value != 0;
}

std::string Registry::ReadString(std::string_view name) const {
  if (!key_) return {};
  const std::wstring wname = WideFromGbk(name);
  std::vector<BYTE> data(256);
  DWORD type = 0;
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    const LSTATUS status = RegQueryValueExW(key_.get(), wname.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status == ERROR_MORE_DATA) {
      data.resize(size + sizeof(wchar_t));
      continue;
    }
    if (status != ERROR_SUCCESS) ThrowSystemError("Cannot read registry value " + Quoted(name), status);
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      throw setup::Error("Invalid data type for registry value " + Quoted(name));
    }
    // The stored text may lack its terminator; stop at the first NUL.
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    if (const size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    return GbkFromWide(text);
  }
}

void Registry::WriteValue(std::string_view name, DWORD type, const void* data, DWORD size) {
  const LSTATUS status =
      key_ ? RegSetValueExW(key_.get(), WideFromGbk(name).c_str(), 0, type, static_cast<const BYTE*>(data), size)
           : ERROR_INVALID_HANDLE;
  if (status != ERROR_SUCCESS) ThrowSystemError("Cannot write registry value " + Quoted(name), status);
}

void Registry::WriteString(std::string_view name, std::string_view value) {
  const std::wstring wide = WideFromGbk(value);
  WriteValue(name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void Registry::WriteInteger(std::string_view name, int32_t value) {
  WriteValue(name, REG_DWORD, &value, sizeof(value));
}

}  // namespace win
