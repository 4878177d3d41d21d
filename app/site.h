#pragma once
// The maker's web site: constants of the installer, not fields of the
// record. Texts are GBK (plain ASCII here).
#include <string_view>

// The site's address, ending in "/"; page addresses are appended to it.
inline constexpr std::string_view SiteBaseUrl = "http://example.com/";
// The host name shown under the pages.
inline constexpr std::string_view SiteHostName = "example.com";
