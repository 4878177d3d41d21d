#pragma once
// Text conversion between the description (UTF-8) and the record (GBK,
// code page 936), through iconv.
#include <string>
#include <string_view>

namespace setup {

// The GBK bytes of `utf8`. Throws setup::Error naming the first character
// that GBK cannot hold (or saying that the text is not UTF-8); the message
// does not name the field, the caller adds that.
std::string GbkFromUtf8(std::string_view utf8);

// The UTF-8 text of GBK bytes. Bytes that are not GBK become U+FFFD and set
// *lossless (if given) to false.
std::string Utf8FromGbk(std::string_view gbk, bool* lossless = nullptr);

// Whether a GBK character of `gbk` has a backslash (0x5C) as its second
// byte: code that looks for backslashes byte by byte would split it.
bool HasBackslashTrailByte(std::string_view gbk);

}  // namespace setup
