#include "app/web_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "app/web_address.h"
#include "win/registry.h"
#include "win/text.h"
#include "win/system_dll.h"

namespace setup {

std::string HtmlBrowserPath() {
  win::Registry registry(HKEY_CLASSES_ROOT, KEY_QUERY_VALUE);
  if (!registry.OpenKey("\\htmlfile\\shell\\open\\command", false)) return {};
  try {
    return BrowserPathFromCommand(registry.ReadString(""));
  } catch (const std::exception&) {
    return {};  // a default value that is not a string names no browser
  }
}

void OpenUrlInBrowser(std::string_view url) noexcept {
  try {
    const std::string browser = HtmlBrowserPath();
    // An empty program would have the shell open something else than a
    // browser (or nothing): there is no browser to start.
    if (browser.empty()) return;
    ShellExecuteW(nullptr, L"open", win::WideFromGbk(browser).c_str(), win::WideFromGbk(url).c_str(), nullptr,
                  SW_SHOW);
  } catch (...) {
    // Only an allocation can fail here; the page then stays closed.
  }
}

void OpenTutorialPage(std::string_view siteBaseUrl, std::string_view productName) noexcept {
  try {
    const std::string address = TutorialAddress(siteBaseUrl, productName);
    DWORD flags = 0;
    using GetConnectedStateFn = BOOL(WINAPI*)(DWORD*, DWORD);
    static const auto getConnectedState =
        win::SystemFunction<GetConnectedStateFn>(L"wininet.dll", "InternetGetConnectedState");
    const bool connected = getConnectedState && getConnectedState(&flags, 0) != FALSE;
    if (ConnectionAllowsTutorial(connected, flags)) OpenUrlInBrowser(address);
  } catch (...) {
    // As above: nothing is reported.
  }
}

}  // namespace setup
