#include "win/text.h"

#include <windows.h>

namespace win {
namespace {

std::wstring ToWide(unsigned codePage, std::string_view in) {
  if (in.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), out.data(), n);
  return out;
}

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) { return ToWide(kGbkCodePage, gbk); }
std::wstring WideFromUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string GbkFromWide(std::wstring_view wide, bool* lossless) {
  if (lossless) *lossless = true;
  if (wide.empty()) return {};
  BOOL usedDefault = FALSE;
  const int len = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), len, out.data(), n, "?", &usedDefault);
  if (lossless && usedDefault) *lossless = false;
  return out;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int len = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), len, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8FromGbk(std::string_view gbk) { return Utf8FromWide(WideFromGbk(gbk)); }

}  // namespace win
