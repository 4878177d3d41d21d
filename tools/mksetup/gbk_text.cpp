#include "tools/mksetup/gbk_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "base/error.h"

namespace setup {
namespace {

// Code page 936 as Windows has it (GBK plus the euro sign at 0x80).
constexpr const char* kGbk = "CP936";

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw Error(std::string("iconv cannot convert from ") + from + " to " + to);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { iconv_close(cd_); }

  // The whole of `in` converted, or nothing when some of it cannot be;
  // *stoppedAt then tells where.
  std::optional<std::string> Convert(std::string_view in, size_t* stoppedAt = nullptr) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* from = const_cast<char*>(in.data());
    size_t fromLeft = in.size();
    std::string out;
    while (fromLeft > 0) {
      char buffer[256];
      char* to = buffer;
      size_t toLeft = sizeof buffer;
      const size_t result = iconv(cd_, &from, &fromLeft, &to, &toLeft);
      out.append(buffer, static_cast<size_t>(to - buffer));
      if (result == static_cast<size_t>(-1) && errno != E2BIG) {
        if (stoppedAt) *stoppedAt = static_cast<size_t>(from - in.data());
        return std::nullopt;
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence that `lead` begins (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

std::string CodePointName(std::string_view character) {
  Converter toUtf32("UTF-32LE", "UTF-8");
  const auto utf32 = toUtf32.Convert(character);
  if (!utf32 || utf32->size() != 4) return "\"" + std::string(character) + "\"";
  uint32_t cp = 0;
  for (int i = 3; i >= 0; --i) cp = cp << 8 | static_cast<unsigned char>((*utf32)[static_cast<size_t>(i)]);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", cp);
  return cp < 0x20 ? std::string(code) : "\"" + std::string(character) + "\" (" + code + ")";
}

}  // namespace

std::string GbkFromUtf8(std::string_view utf8) {
  Converter toGbk(kGbk, "UTF-8");
  Converter back("UTF-8", kGbk);
  // One character at a time, so that an error can name the character, and
  // back again, so that a character that iconv only approximates fails too.
  std::string gbk;
  for (size_t at = 0; at < utf8.size();) {
    const std::string_view character = utf8.substr(at, SequenceLength(static_cast<unsigned char>(utf8[at])));
    const auto converted = toGbk.Convert(character);
    if (!converted) {
      if (!Converter("UTF-32LE", "UTF-8").Convert(character)) throw Error("is not valid UTF-8");
      throw Error("holds the character " + CodePointName(character) + ", which GBK cannot hold");
    }
    if (back.Convert(*converted) != std::string(character)) {
      throw Error("holds the character " + CodePointName(character) + ", which GBK cannot hold");
    }
    gbk += *converted;
    at += character.size();
  }
  return gbk;
}

std::string Utf8FromGbk(std::string_view gbk, bool* lossless) {
  Converter toUtf8("UTF-8", kGbk);
  std::string utf8;
  while (!gbk.empty()) {
    size_t stoppedAt = 0;
    if (const auto all = toUtf8.Convert(gbk, &stoppedAt)) {
      utf8 += *all;
      break;
    }
    utf8 += *toUtf8.Convert(gbk.substr(0, stoppedAt));
    utf8 += "\xEF\xBF\xBD";  // U+FFFD
    if (lossless) *lossless = false;
    gbk.remove_prefix(stoppedAt + 1);
  }
  return utf8;
}

bool HasBackslashTrailByte(std::string_view gbk) {
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte >= 0x81 && byte <= 0xFE && i + 1 < gbk.size()) {
      if (gbk[++i] == '\\') return true;
    }
  }
  return false;
}

}  // namespace setup
