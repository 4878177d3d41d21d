// Uninstall.exe, the demo product's uninstaller. It reads the package
// record that the installer leaves beside it ("G_ls.cx") and shows what an
// uninstaller of the product removes: the files, the registry keys and the
// shortcuts. Being a demo, it removes nothing.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "package/framing.h"
#include "package/setup_config.h"
#include "win/text.h"

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring folder(path, n < std::size(path) ? n : 0);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  const DWORD size = GetFileSize(file, nullptr);
  DWORD read = 0;
  bytes.resize(size == INVALID_FILE_SIZE ? 0 : size);
  if (!bytes.empty() && !ReadFile(file, bytes.data(), size, &read, nullptr)) bytes.clear();
  CloseHandle(file);
  return bytes;
}

std::wstring Describe(const setup::SetupConfig& config, const std::wstring& folder) {
  const std::wstring product = win::WideFromGbk(config.ProductName());
  const std::wstring vendor = win::WideFromGbk(config.Text(setup::field::kVendorName));
  std::wstring text = L"卸载 " + product + L" 将删除以下内容（演示版不会真正删除）：\r\n\r\n文件（" + folder + L"）：\r\n";
  for (int i = 0; i < setup::EntriesInUse(config.FileCount()); ++i) {
    text += L"    " + win::WideFromGbk(config.File(i).relPath) + L"\r\n";
  }
  text += L"    \\G_ls.cx\r\n\r\n注册表（HKEY_LOCAL_MACHINE）：\r\n    Software\\" + vendor + L"\\" +
          win::WideFromGbk(config.FolderName()) + L"\r\n    Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
          product + L"\r\n\r\n快捷方式：\r\n";
  for (int i = 0; i < setup::EntriesInUse(config.ShortcutCount()); ++i) {
    const setup::SetupShortcutEntry s = config.Shortcut(i);
    const wchar_t* place = s.place == 0 ? L"桌面" : s.place == 1 ? L"开始菜单" : L"桌面和开始菜单";
    text += L"    " + win::WideFromGbk(s.caption) + L"（" + place + L"）\r\n";
  }
  return text + L"    卸载" + product + L"（开始菜单）\r\n";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring folder = OwnFolder();
  std::wstring text;
  try {
    const setup::ByteBuffer record = setup::InflateFramed(ReadFileBytes(folder + L"\\G_ls.cx"));
    setup::SetupConfig config;
    std::copy_n(record.data(), std::min(record.size(), setup::kConfigSize), config.bytes().begin());
    text = Describe(config, folder);
  } catch (const std::exception&) {
    text = L"在 " + folder + L" 中找不到可读的 G_ls.cx，无法确定要卸载的内容。";
  }
  MessageBoxW(nullptr, text.c_str(), L"卸载 TAVRO-X", MB_OK | MB_ICONINFORMATION);
  return 0;
}
