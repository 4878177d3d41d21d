#pragma once
// Opening web pages in the browser registered for HTML files. Nothing here
// reports an outcome: a page that cannot be opened is silently not opened.
#include <string>
#include <string_view>

namespace setup {

// The browser program registered for HTML files: the path cut out of the
// default value of HKCR\htmlfile\shell\open\command. Empty when the key or
// value is missing, is not a string, or holds no quoted path.
std::string HtmlBrowserPath();

// Starts the HTML browser with `url` as its whole parameter text, unchanged
// (not quoted, not escaped). Nothing when no browser path is registered.
void OpenUrlInBrowser(std::string_view url) noexcept;

// The finish page's tutorial link: opens TutorialAddress(siteBaseUrl,
// productName) once when the machine reports an internet connection through
// a modem, a LAN or a proxy.
void OpenTutorialPage(std::string_view siteBaseUrl, std::string_view productName) noexcept;

}  // namespace setup
