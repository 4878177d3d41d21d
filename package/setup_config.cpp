#include "package/setup_config.h"

#include <algorithm>
#include <stdexcept>

#include "base/bytes.h"

namespace setup {
namespace {

size_t EntryOffset(size_t table, size_t entrySize, int index) {
  if (index < 0 || index >= kTableCapacity) throw std::out_of_range("table index out of range");
  return table + static_cast<size_t>(index) * entrySize;
}

ShortStringField At(size_t base, ShortStringField f) { return {base + f.offset, f.capacity}; }

// Entry-relative layouts of the three tables.
constexpr ShortStringField kRelPath{0, 128};
constexpr ShortStringField kCaption{0, 128};
constexpr ShortStringField kArguments{137, 128};
constexpr ShortStringField kValueName{0, 128};
constexpr ShortStringField kKeyPath{130, 128};
constexpr ShortStringField kStringValue{261, 128};

}  // namespace

std::string SetupConfig::Text(ShortStringField f) const {
  // A length byte above the capacity cannot come from a writer; reading only
  // the capacity keeps the read inside the field.
  const size_t length = std::min<size_t>(bytes_[f.offset], f.capacity);
  const auto* begin = bytes_.data() + f.offset + 1;
  return std::string(reinterpret_cast<const char*>(begin), length);
}

void SetupConfig::SetText(ShortStringField f, std::string_view text) {
  const size_t length = std::min(text.size(), f.capacity);
  bytes_[f.offset] = static_cast<uint8_t>(length);
  std::copy_n(reinterpret_cast<const uint8_t*>(text.data()), length, bytes_.begin() + f.offset + 1);
}

int32_t SetupConfig::Int(size_t offset) const { return ReadInt32LE(bytes_, offset); }
void SetupConfig::SetInt(size_t offset, int32_t value) { WriteInt32LE(bytes_, offset, value); }

SetupFileEntry SetupConfig::File(int index) const {
  const size_t base = EntryOffset(field::kFiles, field::kFileEntrySize, index);
  return {Text(At(base, kRelPath)), bytes_[base + 129], bytes_[base + 130], Int(base + 132), Int(base + 136)};
}

void SetupConfig::SetFile(int index, const SetupFileEntry& e) {
  const size_t base = EntryOffset(field::kFiles, field::kFileEntrySize, index);
  SetText(At(base, kRelPath), e.relPath);
  bytes_[base + 129] = e.reserved;
  bytes_[base + 130] = e.entryFlag;
  SetInt(base + 132, e.offset);
  SetInt(base + 136, e.size);
}

SetupShortcutEntry SetupConfig::Shortcut(int index) const {
  const size_t base = EntryOffset(field::kShortcuts, field::kShortcutEntrySize, index);
  return {Text(At(base, kCaption)), Int(base + 132), bytes_[base + 136], Text(At(base, kArguments))};
}

void SetupConfig::SetShortcut(int index, const SetupShortcutEntry& e) {
  const size_t base = EntryOffset(field::kShortcuts, field::kShortcutEntrySize, index);
  SetText(At(base, kCaption), e.caption);
  SetInt(base + 132, e.fileIndex);
  bytes_[base + 136] = e.place;
  SetText(At(base, kArguments), e.arguments);
}

SetupRegValueEntry SetupConfig::RegValue(int index) const {
  const size_t base = EntryOffset(field::kRegValues, field::kRegValueEntrySize, index);
  return {Text(At(base, kValueName)), bytes_[base + 129], Text(At(base, kKeyPath)),
          bytes_[base + 259],         bytes_[base + 260], Text(At(base, kStringValue)),
          Int(base + 392)};
}

void SetupConfig::SetRegValue(int index, const SetupRegValueEntry& e) {
  const size_t base = EntryOffset(field::kRegValues, field::kRegValueEntrySize, index);
  SetText(At(base, kValueName), e.valueName);
  bytes_[base + 129] = e.useCurrentUser;
  SetText(At(base, kKeyPath), e.keyPath);
  bytes_[base + 259] = e.kind;
  bytes_[base + 260] = e.boolValue;
  SetText(At(base, kStringValue), e.stringValue);
  SetInt(base + 392, e.intValue);
}

}  // namespace setup
