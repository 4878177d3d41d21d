#include "app/web_address.h"

namespace setup {

std::string TutorialAddress(std::string_view siteBaseUrl, std::string_view productName) {
  constexpr std::string_view kFamilyPrefix = "TAVRO-";
  // One pass from the left over the name as given: what two removals join
  // together is not searched again.
  std::string productPart;
  for (size_t at = 0;;) {
    const size_t found = productName.find(kFamilyPrefix, at);
    productPart += productName.substr(at, found - at);
    if (found == std::string_view::npos) break;
    at = found + kFamilyPrefix.size();
  }
  return std::string(siteBaseUrl) + productPart + "-jiaocheng.asp";
}

std::string LicenseAddress(std::string_view siteBaseUrl) { return std::string(siteBaseUrl) + "license.asp"; }

std::string BrowserPathFromCommand(std::string_view command) {
  const size_t open = command.find('"');
  if (open == std::string_view::npos) return {};
  const size_t close = command.find('"', open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(command.substr(open + 1, close - open - 1));
}

bool ConnectionAllowsTutorial(bool connected, uint32_t flags) {
  return connected && (flags & kOnlineConnectionFlags) != 0;
}

}  // namespace setup
