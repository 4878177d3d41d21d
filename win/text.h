#pragma once
// The one pair of text conversions at the Windows boundary. Texts of the
// record and of the window are GBK (code page 936) bytes; Windows gets UTF-16
// through the W functions, whatever the machine's ANSI code page is.
#include <string>
#include <string_view>

namespace win {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring WideFromGbk(std::string_view gbk);

// GBK bytes of `wide`. When a character has no GBK form, it becomes '?' and
// *lossless (if given) is set to false.
std::string GbkFromWide(std::wstring_view wide, bool* lossless = nullptr);

// UTF-8 is the text of setup::Error messages.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
std::string Utf8FromGbk(std::string_view gbk);

}  // namespace win
