#pragma once
// A small registry accessor: one root, at most one open key, values read and
// written by name. Key paths and texts are GBK; a leading backslash is
// allowed and every path is taken from the root.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "win/handles.h"

namespace win {

class Registry {
 public:
  // `access` is what every OpenKey requests, e.g. GENERIC_READ | KEY_SET_VALUE.
  Registry(HKEY root, REGSAM access) : root_(root), access_(access) {}

  // Closes the open key when the root changes.
  void SetRoot(HKEY root);
  HKEY root() const { return root_; }

  // Opens `path` below the root, creating missing keys when `canCreate`.
  // On failure no key is open and false is returned.
  bool OpenKey(std::string_view path, bool canCreate);
  void CloseKey() { key_.reset(); }
  bool HasOpenKey() const { return key_.valid(); }

  // A 32-bit number, true when nonzero. Throws setup::Error when no key is
  // open, the value is missing or it is not a REG_DWORD.
  bool ReadBool(std::string_view name) const;
  // The text of a REG_SZ or REG_EXPAND_SZ value, unexpanded, up to its first
  // NUL. A missing value (or no open key) reads as empty; a value of another
  // type throws setup::Error.
  std::string ReadString(std::string_view name) const;

  // Each throws setup::Error when the value cannot be written.
  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, int32_t value);
  void WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

 private:
  void WriteValue(std::string_view name, DWORD type, const void* data, DWORD size);

  HKEY root_;
  REGSAM access_;
  UniqueKey key_;
};

}  // namespace win
