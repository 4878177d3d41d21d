#pragma once
// SetupConfig: the fixed 207160-byte record that describes the product an
// installer carries. Fields are read and written at their byte offsets;
// texts are GBK bytes in short strings (a length byte, then the text).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace setup {

inline constexpr size_t kConfigSize = 207160;
inline constexpr int kTableCapacity = 256;

// A short string: a length byte L followed by up to `capacity` text bytes.
struct ShortStringField {
  size_t offset;
  size_t capacity;
};

namespace field {
inline constexpr ShortStringField kAuthorName{0, 128};
inline constexpr ShortStringField kVendorName{129, 128};
inline constexpr ShortStringField kWebSite{258, 128};
inline constexpr ShortStringField kCopyrightText{387, 128};
inline constexpr ShortStringField kVersionText{516, 128};
inline constexpr ShortStringField kReleaseDate{645, 8};
inline constexpr ShortStringField kProductName{654, 128};
inline constexpr ShortStringField kFolderName{783, 128};
inline constexpr ShortStringField kCategoryText{912, 128};
inline constexpr ShortStringField kIntroText{1041, 128};
inline constexpr ShortStringField kInstallDate{1170, 8};
inline constexpr ShortStringField kSecondDate{1179, 8};
inline constexpr ShortStringField kInstallFolder{1188, 128};
inline constexpr size_t kPackChecksum = 1320;
inline constexpr size_t kFiles = 1324;
inline constexpr size_t kFileCount = 37164;
inline constexpr size_t kShortcuts = 37168;
inline constexpr size_t kShortcutCount = 105776;
inline constexpr size_t kRegValues = 105780;
inline constexpr size_t kRegValueCount = 207156;

inline constexpr size_t kFileEntrySize = 140;
inline constexpr size_t kShortcutEntrySize = 268;
inline constexpr size_t kRegValueEntrySize = 396;
}  // namespace field

// One file of the payload: the stretch of `size` bytes at `offset`.
struct SetupFileEntry {
  std::string relPath;  // begins with a backslash, e.g. "\Readme.txt"
  uint8_t reserved = 0;
  uint8_t entryFlag = 1;
  int32_t offset = 0;
  int32_t size = 0;
};

// Place: 0 desktop, 1 Programs-menu group, anything else both.
struct SetupShortcutEntry {
  std::string caption;
  int32_t fileIndex = 0;
  uint8_t place = 0;
  std::string arguments;
};

// Kind: 0 boolean, 1 string, 2 integer, anything else no value.
struct SetupRegValueEntry {
  std::string valueName;
  uint8_t useCurrentUser = 0;
  std::string keyPath;
  uint8_t kind = 0;
  uint8_t boolValue = 0;
  std::string stringValue;
  int32_t intValue = 0;
};

class SetupConfig {
 public:
  SetupConfig() { bytes_.fill(0); }

  std::span<uint8_t> bytes() { return bytes_; }
  std::span<const uint8_t> bytes() const { return bytes_; }

  // Exactly L bytes; bytes after them are never read.
  std::string Text(ShortStringField f) const;
  // Writes the length byte and the text, cut to the field's capacity; the
  // bytes after the text keep whatever they held.
  void SetText(ShortStringField f, std::string_view text);

  int32_t Int(size_t offset) const;
  void SetInt(size_t offset, int32_t value);

  std::string ProductName() const { return Text(field::kProductName); }
  std::string FolderName() const { return Text(field::kFolderName); }
  std::string InstallFolder() const { return Text(field::kInstallFolder); }
  uint32_t PackChecksum() const { return static_cast<uint32_t>(Int(field::kPackChecksum)); }

  // The counts as stored (possibly negative or above 256).
  int32_t FileCount() const { return Int(field::kFileCount); }
  int32_t ShortcutCount() const { return Int(field::kShortcutCount); }
  int32_t RegValueCount() const { return Int(field::kRegValueCount); }

  // Entries by table index, 0 to 255; an index outside throws std::out_of_range.
  SetupFileEntry File(int index) const;
  SetupShortcutEntry Shortcut(int index) const;
  SetupRegValueEntry RegValue(int index) const;
  void SetFile(int index, const SetupFileEntry& entry);
  void SetShortcut(int index, const SetupShortcutEntry& entry);
  void SetRegValue(int index, const SetupRegValueEntry& entry);

 private:
  std::array<uint8_t, kConfigSize> bytes_;
};

// How many entries of a table are in use, for walking it without leaving
// the record: a count of 0 or less is empty, one above 256 counts as 256.
inline int EntriesInUse(int32_t count) {
  return count <= 0 ? 0 : (count > kTableCapacity ? kTableCapacity : static_cast<int>(count));
}

}  // namespace setup
