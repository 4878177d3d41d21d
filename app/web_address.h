#pragma once
// The web addresses the installer opens and the parsing of the browser
// command registered for HTML files. Texts are GBK bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace setup {

// The product's tutorial page: `siteBaseUrl`, then `productName` with every
// "TAVRO-" removed (case-sensitive), then "-jiaocheng.asp". Blanks in the
// name stay as they are.
std::string TutorialAddress(std::string_view siteBaseUrl, std::string_view productName);

// The licence page: `siteBaseUrl` + "license.asp".
std::string LicenseAddress(std::string_view siteBaseUrl);

// The program path of a browser command: the text between its first two
// double quotes ("\"C:\b\x.exe\" -a \"%1\"" -> "C:\b\x.exe"). Empty when the
// command holds fewer than two double quotes.
std::string BrowserPathFromCommand(std::string_view command);

// Connection states (InternetGetConnectedState's flags) that count as online:
// modem 1, LAN 2 or proxy 4.
inline constexpr uint32_t kOnlineConnectionFlags = 1 | 2 | 4;

// Whether the tutorial page is opened for a connection state.
bool ConnectionAllowsTutorial(bool connected, uint32_t flags);

}  // namespace setup
