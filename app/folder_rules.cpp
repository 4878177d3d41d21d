#include "app/folder_rules.h"

namespace setup {
namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

std::string TrimFolderText(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return std::string(text);
}

FolderTextVerdict JudgeFolderText(std::string_view trimmed) {
  if (trimmed.empty()) return FolderTextVerdict::kEmpty;
  if (trimmed.size() < 2 || trimmed[1] != ':') return FolderTextVerdict::kNotFullPath;
  // "C:" and "C:\" are drive roots; so is any three-byte text with the colon second.
  if (trimmed.back() == ':' || trimmed[trimmed.size() - 2] == ':') return FolderTextVerdict::kDriveRoot;
  return FolderTextVerdict::kAcceptable;
}

std::string_view FolderRefusalMessage(FolderTextVerdict verdict) {
  switch (verdict) {
    case FolderTextVerdict::kEmpty: return kFolderEmptyMessage;
    case FolderTextVerdict::kNotFullPath: return kFolderNotFullPathMessage;
    case FolderTextVerdict::kDriveRoot: return kFolderIsDriveRootMessage;
    case FolderTextVerdict::kAcceptable: break;
  }
  return {};
}

std::string ProposedFolder(std::string_view chosen, std::string_view folderName) {
  std::string folder(chosen);
  if (chosen.size() >= 4) folder += '\\';
  return folder += folderName;
}

}  // namespace setup
