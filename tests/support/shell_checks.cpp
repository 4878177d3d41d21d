#include "shell_checks.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "win/handles.h"

namespace testing_support {
namespace {

constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void SetValue(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

Link ReadLink(const std::wstring& file) {
  Link link;
  win::ComPtr<IShellLinkW> shellLink;
  win::ComPtr<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              shellLink.put_void())) ||
      FAILED(shellLink->QueryInterface(IID_IPersistFile, persist.put_void())) ||
      FAILED(persist->Load(file.c_str(), STGM_READ))) {
    return link;
  }
  // The target through its item list: Wine's GetPath reads the target from
  // the file's ANSI copy, which the test prefix's code page cannot hold.
  wchar_t text[MAX_PATH * 2] = {};
  ITEMIDLIST* target = nullptr;
  if (SUCCEEDED(shellLink->GetIDList(&target)) && target) {
    SHGetPathFromIDListW(target, text);
    CoTaskMemFree(target);
  }
  link.target = text;
  text[0] = 0;
  shellLink->GetArguments(text, MAX_PATH * 2);
  link.arguments = text;
  text[0] = 0;
  shellLink->GetWorkingDirectory(text, MAX_PATH);
  link.workingDirectory = text;
  text[0] = 0;
  shellLink->GetIconLocation(text, MAX_PATH, &link.iconIndex);
  link.iconPath = text;
  return link;
}

std::wstring Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return {};
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  std::wstring joined;
  for (const auto& n : names) joined += (joined.empty() ? L"" : L"|") + n;
  return joined;
}

void MoveShellFolders(const std::wstring& desktop, const std::wstring& programs) {
  for (const wchar_t* key : {kShellFolders, kUserShellFolders}) {
    SetValue(key, L"Desktop", desktop);
    SetValue(key, L"Programs", programs);
  }
}

}  // namespace testing_support
