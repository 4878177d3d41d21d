// mksetup's text conversion between the description (UTF-8) and the record
// (GBK). The expected GBK bytes are narrow literals, which the compiler
// writes in GBK.
#include "tools/mksetup/gbk_text.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "test_files.h"

namespace setup {
namespace {

using testing_support::Utf8;

struct Conversion {
  std::string utf8;
  std::string gbk;
};

TEST(GbkText, ConvertsBothWays) {
  const std::vector<Conversion> cases = {
      {Utf8(u8"TAVRO-X V18.5"), "TAVRO-X V18.5"},
      {Utf8(u8"共享软件,系统工具"), "共享软件,系统工具"},
      {Utf8(u8"版权所有，保留所有权利。\r\n"), "版权所有，保留所有权利。\r\n"},
      {Utf8(u8"€"), "\x80"},  // code page 936 has the euro sign at 0x80
      {Utf8(u8"·"), "\xA1\xA4"},
      {"", ""},
  };
  for (const Conversion& c : cases) {
    EXPECT_EQ(GbkFromUtf8(c.utf8), c.gbk) << c.utf8;
    bool lossless = true;
    EXPECT_EQ(Utf8FromGbk(c.gbk, &lossless), c.utf8);
    EXPECT_TRUE(lossless) << c.utf8;
  }
}

struct Refusal {
  std::string utf8;
  std::string message;
};

TEST(GbkText, NamesWhatGbkCannotHold) {
  const std::vector<Refusal> cases = {
      {Utf8(u8"TAVRO 😀"), Utf8(u8"holds the character \"😀\" (U+1F600), which GBK cannot hold")},
      {Utf8(u8"한국어"), Utf8(u8"holds the character \"한\" (U+D55C), which GBK cannot hold")},
      {"abc\xC3", "is not valid UTF-8"},
      {"\xFF", "is not valid UTF-8"},
  };
  for (const Refusal& c : cases) {
    try {
      GbkFromUtf8(c.utf8);
      ADD_FAILURE() << c.utf8 << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
}

TEST(GbkText, BytesThatAreNotGbkBecomeReplacementCharacters) {
  bool lossless = true;
  EXPECT_EQ(Utf8FromGbk("a\xFF" "b\x81", &lossless), Utf8(u8"a\uFFFDb\uFFFD"));
  EXPECT_FALSE(lossless);
}

TEST(GbkText, FindsBackslashTrailBytes) {
  EXPECT_TRUE(HasBackslashTrailByte(GbkFromUtf8(Utf8(u8"\\乗.exe"))));  // 81 5C
  EXPECT_FALSE(HasBackslashTrailByte("\\Skins\\Default.skin"));
  EXPECT_FALSE(HasBackslashTrailByte("\\说明\\自述.txt"));
}

}  // namespace
}  // namespace setup
