#include "shell/path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

// A double-byte GBK character whose second byte is a backslash (0x92 0x5C).
constexpr char kTrailSlash[] = "抃";
static_assert(sizeof(kTrailSlash) == 3 && kTrailSlash[1] == '\\');

TEST(LastPos, FindsTheLastOccurrenceByBytes) {
  const std::string withTrail = std::string("C:\\a") + kTrailSlash + "b";
  struct Case {
    std::string sub, s;
    int expected;
  } cases[] = {
      {"\\", "C:\\dir\\file.txt", 7},
      {"ab", "abxab", 4},
      {"ab", "ab", 1},
      {"x", "abc", 0},
      {"abcd", "abc", 0},
      {"", "abc", 4},
      {"", "", 1},
      {"A", "aaa", 0},
      {"\\", withTrail, 6},  // the character's second byte is found
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LastPos(c.sub, c.s), c.expected) << "sub=\"" << c.sub << "\" s=\"" << c.s << "\"";
  }
}

TEST(ShortenPath, KeepsShortPathsAndShortensLongOnes) {
  const std::string path40 = "C:\\Program Files\\Vendor\\Product\\file.ab";  // 39 bytes
  ASSERT_EQ(path40.size(), 39u);
  const std::string name50(50, 'n');
  struct Case {
    std::string path;
    int limit;
    std::string expected;
  } cases[] = {
      {path40 + "c", 40, path40 + "c"},                   // exactly the limit
      {path40 + "cd", 40, "C:\\...\\file.abcd"},           // one byte more
      {"C:\\a\\b", 5, "C:\\...\\b"},
      {"C:\\a\\b", -1, "C:\\...\\b"},
      {std::string(45, 'x'), 40, "xxx...\\" + std::string(40, 'x')},  // no backslash: first 40 bytes
      {"C:\\" + name50 + "\\", 40, "C:\\...\\"},         // trailing backslash: empty tail
      {"C:\\d\\" + name50, 40, "C:\\...\\" + name50.substr(0, 40)},  // tail cut to 40
      {"C:\\" + std::string(40, 'd') + "\\" + "x" + kTrailSlash + "y", 40, "C:\\...\\y"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortenPath(c.path, c.limit), c.expected) << "path=\"" << c.path << "\" limit=" << c.limit;
  }
}

TEST(FolderParts, CutAtTheLastBackslash) {
  struct Case {
    std::string path, folder, withBackslash;
  } cases[] = {
      {"C:\\app\\bin\\run.exe", "C:\\app\\bin", "C:\\app\\bin\\"},
      {"C:\\run.exe", "C:\\", "C:\\"},
      {"C:\\app\\", "C:\\app", "C:\\app\\"},
      {"C:run.exe", "C:", "C:"},
      {"run.exe", "", ""},
      {"\\run.exe", "\\", "\\"},
      {"", "", ""},
      {std::string("C:\\a") + kTrailSlash + "b.exe", "C:\\a\x92", std::string("C:\\a") + kTrailSlash},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
    EXPECT_EQ(FolderWithBackslash(c.path), c.withBackslash) << c.path;
  }
}

}  // namespace
}  // namespace setup
