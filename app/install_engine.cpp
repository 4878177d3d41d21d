#include "app/install_engine.h"

#include <windows.h>

#include "base/error.h"
#include "package/package_resources.h"
#include "package/record_check.h"
#include "shell/folders.h"
#include "shell/path_text.h"
#include "shell/shortcuts.h"
#include "win/handles.h"
#include "win/registry.h"
#include "win/system_error.h"
#include "win/text.h"

namespace setup {
namespace {

constexpr REGSAM kRegistryAccess = GENERIC_READ | KEY_SET_VALUE;
constexpr char kUninstallKeyPrefix[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Replaces any file at `target` with `bytes`, in one write. Throws
// setup::Error when the old file cannot be removed or the new one written.
void WriteTargetFile(const std::string& target, std::span<const uint8_t> bytes) {
  const std::wstring path = win::WideFromGbk(target);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !DeleteFileW(path.c_str())) {
    win::ThrowSystemError("Cannot delete file");
  }
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) win::ThrowSystemError("Cannot create file");
  DWORD written = 0;
  if (!bytes.empty() && (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                         written != bytes.size())) {
    win::ThrowSystemError("Cannot write file");
  }
}

// Unpacks one file entry; false when it was skipped without a trace (a
// wildcard name, or a folder chain that cannot be created).
bool InstallFile(const InstallInputs& in, const SetupFileEntry& entry, InstallView& view) {
  const std::string target = in.config.InstallFolder() + entry.relPath;
  if (target.find("*.") != std::string::npos) return false;
  if (!CreateFolderChain(FolderOfPath(target))) return false;
  view.ShowFileName(ShortenPath(target, 40));
  try {
    // An entry reaching outside the payload belongs to a damaged package
    // that the user chose to install anyway: it is reported, never read.
    if (!FileEntryFits(entry, in.payload.size())) throw Error("outside the package");
    WriteTargetFile(target, in.payload.subspan(static_cast<size_t>(entry.offset), static_cast<size_t>(entry.size)));
  } catch (const std::exception&) {
    view.ReportFileError(kFileErrorText + target);
  }
  return true;
}

void WriteProductKeys(const InstallInputs& in) {
  const SetupConfig& c = in.config;
  win::Registry registry(HKEY_LOCAL_MACHINE, kRegistryAccess);
  // A key that cannot be opened shows up as a failure of its first value.
  registry.OpenKey(in.vendorKeyPath, true);
  registry.WriteString("Site", c.Text(field::kWebSite));
  registry.WriteString("Author", c.Text(field::kAuthorName));
  registry.CloseKey();

  registry.OpenKey(in.productKeyPath, true);
  registry.WriteBool("Setup", true);
  registry.WriteString("Version", c.Text(field::kVersionText));
  registry.WriteString("Folder", c.InstallFolder());
  registry.WriteString("Date", c.Text(field::kInstallDate));
  registry.CloseKey();

  registry.OpenKey(kUninstallKeyPrefix + c.ProductName(), true);
  registry.WriteString("DisplayName", c.ProductName());
  // Quoted, so that a folder with blanks ("C:\Program Files\...") cannot
  // make the system run a different program.
  registry.WriteString("UninstallString", "\"" + c.InstallFolder() + "\\uninstall.exe\"");
  registry.CloseKey();
}

// Each extra value is written from its own root into its own key, which is
// closed after it; a value that fails is dropped.
void WriteExtraValues(const SetupConfig& c) {
  const int count = EntriesInUse(c.RegValueCount());
  for (int i = 0; i < count; ++i) {
    const SetupRegValueEntry e = c.RegValue(i);
    try {
      win::Registry registry(e.useCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kRegistryAccess);
      if (!registry.OpenKey(e.keyPath, true)) continue;
      switch (e.kind) {
        case 0: registry.WriteBool(e.valueName, e.boolValue != 0); break;
        case 1: registry.WriteString(e.valueName, e.stringValue); break;
        case 2: registry.WriteInteger(e.valueName, e.intValue); break;
        default: break;  // the key alone
      }
    } catch (const std::exception&) {
    }
  }
}

void CreateShortcuts(const SetupConfig& c) {
  const std::string folder = c.InstallFolder();
  const std::string group = c.ProductName();
  const int files = EntriesInUse(c.FileCount());
  const int count = EntriesInUse(c.ShortcutCount());
  for (int i = 0; i < count; ++i) {
    const SetupShortcutEntry s = c.Shortcut(i);
    if (s.fileIndex < 0 || s.fileIndex >= files) continue;  // only in a damaged package
    const std::string target = folder + c.File(s.fileIndex).relPath;
    if (s.place != 0) CreateProgramsShortcut(group, target, s.caption, s.arguments);
    if (s.place != 1) CreateDesktopShortcut(target, s.caption, s.arguments);
  }
  CreateProgramsShortcut(group, folder + "\\uninstall.exe", "卸载" + group, "");
}

}  // namespace

void InstallFiles(const InstallInputs& in, InstallView& view) {
  const int count = EntriesInUse(in.config.FileCount());
  for (int i = 0; i < count; ++i) {
    if (InstallFile(in, in.config.File(i), view)) view.SetProgress(i * 100 / count);
  }
}

void InstallProduct(const InstallInputs& in, InstallView& view) {
  view.SetWorkText("正在复制文件...");
  InstallFiles(in, view);
  SaveConfigResource(win::WideFromGbk(in.config.InstallFolder() + "\\G_ls.cx"));

  view.SetWorkText("正在注册相关信息...");
  view.HideFileName();
  WriteProductKeys(in);
  WriteExtraValues(in.config);

  view.SetWorkText("正在创建快捷方式...");
  CreateShortcuts(in.config);
}

}  // namespace setup
