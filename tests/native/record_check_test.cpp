#include "package/record_check.h"

#include <gtest/gtest.h>

#include <functional>

namespace setup {
namespace {

// A valid record: three files end to end in a payload of 30 bytes, one
// shortcut to file 2.
SetupConfig ValidRecord() {
  SetupConfig c;
  c.SetFile(0, {"\\a", 0, 1, 0, 10});
  c.SetFile(1, {"\\b", 0, 1, 10, 0});
  c.SetFile(2, {"\\c", 0, 1, 10, 20});
  c.SetInt(field::kFileCount, 3);
  c.SetShortcut(0, {"c", 2, 0, ""});
  c.SetInt(field::kShortcutCount, 1);
  return c;
}

TEST(RecordCheck, FindsEveryKindOfDamage) {
  const struct {
    const char* name;
    std::function<void(SetupConfig&)> damage;
    const char* mentions;  // empty: the record stays valid
  } cases[] = {
      {"valid", [](SetupConfig&) {}, ""},
      {"negative counts are empty", [](SetupConfig& c) { c.SetInt(field::kRegValueCount, -3); }, ""},
      {"entries beyond the count are ignored",
       [](SetupConfig& c) { c.SetFile(3, {"\\d", 0, 1, 500, 500}); }, ""},
      {"FileCount above 256", [](SetupConfig& c) { c.SetInt(field::kFileCount, 257); }, "FileCount"},
      {"ShortcutCount above 256", [](SetupConfig& c) { c.SetInt(field::kShortcutCount, 1000); }, "ShortcutCount"},
      {"RegValueCount above 256", [](SetupConfig& c) { c.SetInt(field::kRegValueCount, 300); }, "RegValueCount"},
      {"negative offset", [](SetupConfig& c) { c.SetFile(1, {"\\b", 0, 1, -1, 0}); }, "Files[1]"},
      {"negative size", [](SetupConfig& c) { c.SetFile(0, {"\\a", 0, 1, 0, -10}); }, "Files[0]"},
      {"past the payload", [](SetupConfig& c) { c.SetFile(2, {"\\c", 0, 1, 10, 21}); }, "Files[2]"},
      {"offset + size overflows 32 bits",
       [](SetupConfig& c) { c.SetFile(2, {"\\c", 0, 1, INT32_MAX, INT32_MAX}); }, "Files[2]"},
      {"shortcut to a file beyond the count",
       [](SetupConfig& c) { c.SetShortcut(0, {"c", 3, 0, ""}); }, "Shortcuts[0]"},
      {"shortcut with a negative index", [](SetupConfig& c) { c.SetShortcut(0, {"c", -1, 0, ""}); }, "Shortcuts[0]"},
  };
  for (const auto& c : cases) {
    SetupConfig record = ValidRecord();
    c.damage(record);
    const auto problems = FindRecordProblems(record, 30);
    if (std::string(c.mentions).empty()) {
      EXPECT_TRUE(problems.empty()) << c.name << ": " << (problems.empty() ? "" : problems[0]);
    } else {
      ASSERT_EQ(problems.size(), 1u) << c.name;
      EXPECT_NE(problems[0].find(c.mentions), std::string::npos) << c.name << ": " << problems[0];
    }
  }
}

TEST(RecordCheck, AFileMayEndExactlyAtThePayloadsEnd) {
  EXPECT_TRUE(FileEntryFits({"\\x", 0, 1, 30, 0}, 30));
  EXPECT_TRUE(FileEntryFits({"\\x", 0, 1, 0, 30}, 30));
  EXPECT_FALSE(FileEntryFits({"\\x", 0, 1, 31, 0}, 30));
}

}  // namespace
}  // namespace setup
