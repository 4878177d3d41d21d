#include "shell/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include "base/error.h"
#include "shell/folders.h"
#include "shell/path_text.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/system_error.h"
#include "win/text.h"

namespace setup {
namespace {

constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ShellFolder(std::string_view valueName) {
  win::Registry registry(HKEY_CURRENT_USER, GENERIC_READ | KEY_QUERY_VALUE);
  if (!registry.OpenKey(kShellFoldersKey, false)) return {};
  return registry.ReadString(valueName);
}

// Throws unless `result` is a success; `what` names the step.
void Check(HRESULT result, std::string_view what) {
  if (FAILED(result)) win::ThrowSystemError(what, static_cast<DWORD>(result));
}

}  // namespace

std::string GetDesktopFolder() { return ShellFolder("Desktop"); }
std::string GetProgramsFolder() { return ShellFolder("Programs"); }

void CreateShortcutFile(std::string_view target, std::string_view caption, std::string_view folder,
                        std::string_view arguments) {
  // Nested inside the thread's apartment: normally S_FALSE, balanced below.
  const win::ComInit com;
  if (!com.ok()) return;

  // Declared after the COM guard, so released before CoUninitialize.
  win::ComPtr<IUnknown> object;
  win::ComPtr<IShellLinkW> link;
  win::ComPtr<IPersistFile> file;
  Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                         object.put_void()),
        "Cannot create the shell link object");
  Check(object->QueryInterface(IID_IShellLinkW, link.put_void()), "The shell link object has no IShellLinkW");

  // Failures of the setters and of Save are not errors: no file results.
  const std::wstring wideTarget = win::WideFromGbk(target);
  link->SetPath(wideTarget.c_str());
  link->SetArguments(win::WideFromGbk(arguments).c_str());
  link->SetIconLocation(wideTarget.c_str(), 0);
  link->SetWorkingDirectory(win::WideFromGbk(FolderWithBackslash(target)).c_str());

  Check(object->QueryInterface(IID_IPersistFile, file.put_void()), "The shell link object has no IPersistFile");
  const std::string fileName = std::string(folder) + "\\" + std::string(caption) + ".lnk";
  // FALSE: the link object does not adopt the name as its current file.
  file->Save(win::WideFromGbk(fileName).c_str(), FALSE);
}

void CreateDesktopShortcut(std::string_view target, std::string_view caption, std::string_view arguments) {
  const std::string desktop = GetDesktopFolder();
  if (desktop.empty() || !FolderExists(desktop)) return;
  CreateShortcutFile(target, caption, desktop, arguments);
}

void CreateProgramsShortcut(std::string_view group, std::string_view target, std::string_view caption,
                            std::string_view arguments) {
  const std::string programs = GetProgramsFolder();
  if (programs.empty() || !FolderExists(programs)) return;

  // The group is created and entered relative to the Programs folder; its
  // creation fails harmlessly when it exists already.
  SetCurrentDirectoryW(win::WideFromGbk(programs).c_str());
  const std::wstring wideGroup = win::WideFromGbk(group);
  CreateDirectoryW(wideGroup.c_str(), nullptr);
  const std::string groupFolder = programs + "\\" + std::string(group);
  if (!SetCurrentDirectoryW(wideGroup.c_str())) {
    const DWORD reason = GetLastError();
    win::ThrowSystemError("I/O error: cannot enter the Programs menu folder \"" + win::Utf8FromGbk(groupFolder) + "\"",
                          reason);
  }
  CreateShortcutFile(target, caption, groupFolder, arguments);
}

}  // namespace setup
