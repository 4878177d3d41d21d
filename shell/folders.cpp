#include "shell/folders.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "win/text.h"

namespace setup {
namespace {

struct IdListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using UniqueIdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool FolderExists(std::string_view path) { return IsFolder(win::WideFromGbk(path)); }

bool CreateFolderChain(std::string_view path) {
  // The installation asks once per file, mostly for a folder made for the
  // file before: when the whole path is a folder, so is every folder on the
  // way, and one check does for all.
  if (path.empty() || IsFolder(win::WideFromGbk(path))) return true;
  bool result = true;
  std::string built;
  while (!path.empty()) {
    // Byte search: the second byte of a double-byte character can be 0x5C.
    const size_t slash = path.find('\\');
    const size_t take = slash == std::string_view::npos ? path.size() : slash + 1;
    built += path.substr(0, take);
    path.remove_prefix(take);

    const std::wstring folder = win::WideFromGbk(built);
    if (IsFolder(folder)) continue;
    result = CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
    if (!result) break;
  }
  return result;
}

std::string BrowseForFolder(int rootFolder, std::string_view title) {
  const HWND owner = GetActiveWindow();
  ITEMIDLIST* rootList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, rootFolder, &rootList))) return {};
  const UniqueIdList root(rootList);

  wchar_t buffer[MAX_PATH] = {};
  const std::wstring wideTitle = win::WideFromGbk(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root.get();
  info.pszDisplayName = buffer;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  const UniqueIdList chosen(SHBrowseForFolderW(&info));
  if (!chosen || !SHGetPathFromIDListW(chosen.get(), buffer)) return {};

  bool lossless = true;
  std::string path = win::GbkFromWide(buffer, &lossless);
  // A folder GBK cannot name could not be created or entered by the GBK
  // path functions either: it counts as a folder without a file-system path.
  return lossless ? path : std::string();
}

}  // namespace setup
