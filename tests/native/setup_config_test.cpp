#include "package/setup_config.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/bytes.h"

namespace setup {
namespace {

TEST(SetupConfig, FieldOffsetsMatchTheRecordLayout) {
  // Each field written through the accessors lands at its documented offset.
  SetupConfig c;
  c.SetText(field::kVersionText, "V18.5");
  c.SetText(field::kInstallFolder, "C:\\X");
  c.SetInt(field::kPackChecksum, 142670722);
  c.SetInt(field::kRegValueCount, 7);
  const auto b = c.bytes();
  EXPECT_EQ(b.size(), 207160u);
  EXPECT_EQ(b[516], 5);
  EXPECT_EQ(std::memcmp(&b[517], "V18.5", 5), 0);
  EXPECT_EQ(b[1188], 4);
  EXPECT_EQ(ReadInt32LE(b, 1320), 142670722);
  EXPECT_EQ(ReadInt32LE(b, 207156), 7);
}

TEST(SetupConfig, ShortStringsReadExactlyTheirLength) {
  SetupConfig c;
  auto b = c.bytes();
  b[516] = 5;
  std::memcpy(&b[517], "V18.59a", 7);  // stale bytes after the length
  EXPECT_EQ(c.Text(field::kVersionText), "V18.5");
  b[516] = 0;
  EXPECT_EQ(c.Text(field::kVersionText), "");
  b[645] = 200;  // a length beyond the capacity never reads past the field
  EXPECT_EQ(c.Text(field::kReleaseDate).size(), 8u);
}

TEST(SetupConfig, WritingCutsToTheCapacityAndKeepsStaleBytes) {
  SetupConfig c;
  c.SetText(field::kInstallDate, "2004020199");
  EXPECT_EQ(c.Text(field::kInstallDate), "20040201");
  c.SetText(field::kVersionText, "V18.59a");
  c.SetText(field::kVersionText, "V1");
  EXPECT_EQ(c.Text(field::kVersionText), "V1");
  EXPECT_EQ(c.bytes()[517 + 2], '8');  // left as it was
  c.SetText(field::kInstallFolder, std::string(300, 'x'));
  EXPECT_EQ(c.InstallFolder(), std::string(128, 'x'));
}

TEST(SetupConfig, TableEntriesRoundTripAtTheirOffsets) {
  SetupConfig c;
  c.SetFile(255, {"\\a\\b.txt", 0, 1, 100, 42});
  c.SetShortcut(3, {"Readme", 2, 1, "/x"});
  c.SetRegValue(1, {"Name", 1, "\\Software\\V", 2, 1, "text", -5});
  const auto b = c.bytes();
  const size_t file255 = 1324 + 255 * 140;
  EXPECT_EQ(b[file255], 8);
  EXPECT_EQ(b[file255 + 130], 1);
  EXPECT_EQ(ReadInt32LE(b, file255 + 132), 100);
  EXPECT_EQ(ReadInt32LE(b, file255 + 136), 42);
  const size_t sc3 = 37168 + 3 * 268;
  EXPECT_EQ(ReadInt32LE(b, sc3 + 132), 2);
  EXPECT_EQ(b[sc3 + 136], 1);
  EXPECT_EQ(b[sc3 + 137], 2);
  const size_t rv1 = 105780 + 396;
  EXPECT_EQ(b[rv1 + 129], 1);
  EXPECT_EQ(b[rv1 + 259], 2);
  EXPECT_EQ(ReadInt32LE(b, rv1 + 392), -5);

  const SetupRegValueEntry r = c.RegValue(1);
  EXPECT_EQ(r.keyPath, "\\Software\\V");
  EXPECT_EQ(r.stringValue, "text");
  EXPECT_EQ(c.Shortcut(3).arguments, "/x");
  EXPECT_EQ(c.File(255).relPath, "\\a\\b.txt");
  EXPECT_THROW(c.File(256), std::out_of_range);
  EXPECT_THROW(c.Shortcut(-1), std::out_of_range);
}

TEST(SetupConfig, CountsOfZeroOrLessAreEmptyAndAbove256AreCapped) {
  const struct {
    int32_t stored;
    int inUse;
  } cases[] = {{0, 0}, {-1, 0}, {INT32_MIN, 0}, {4, 4}, {256, 256}, {257, 256}, {INT32_MAX, 256}};
  for (const auto& c : cases) EXPECT_EQ(EntriesInUse(c.stored), c.inUse) << c.stored;
}

}  // namespace
}  // namespace setup
