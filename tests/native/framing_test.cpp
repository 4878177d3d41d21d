#include "package/framing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace setup {
namespace {

std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> WithSize(std::vector<uint8_t> framed, uint32_t size) {
  WriteInt32LE(framed, 0, static_cast<int32_t>(size));
  return framed;
}

std::string Text(const ByteBuffer& b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

TEST(Framing, RoundTripUsesLevelNineHeader) {
  const auto framed = DeflateFramed(Bytes("hello, package"));
  ASSERT_GE(framed.size(), 6u);
  EXPECT_EQ(ReadUInt32LE(framed, 0), 14u);
  EXPECT_EQ(framed[4], 0x78);
  EXPECT_EQ(framed[5], 0xDA);
  EXPECT_EQ(Text(InflateFramed(framed)), "hello, package");
}

TEST(Framing, SmallerSizeGivesTheFirstBytes) {
  const auto framed = WithSize(DeflateFramed(Bytes("abcdefghij")), 4);
  EXPECT_EQ(Text(InflateFramed(framed)), "abcd");
}

TEST(Framing, ZeroSizeGivesNothing) {
  EXPECT_EQ(InflateFramed(DeflateFramed({})).size(), 0u);
  EXPECT_EQ(InflateFramed(WithSize(DeflateFramed(Bytes("abc")), 0)).size(), 0u);
}

struct BadBlock {
  const char* name;
  std::vector<uint8_t> block;
  const char* messageStart;
};

TEST(Framing, DamagedBlocksFailWithClearErrors) {
  auto good = DeflateFramed(Bytes(std::string(1000, 'x') + "tail"));
  auto damaged = good;
  damaged[4] = 0x12;  // broken zlib header
  auto truncated = good;
  truncated.resize(truncated.size() / 2);
  auto corrupt = DeflateFramed(Bytes("some text that deflates into a few blocks of data"));
  corrupt[8] ^= 0xFF;
  const std::vector<BadBlock> cases = {
      {"empty", {}, "Read error"},
      {"three bytes", {1, 0, 0}, "Read error"},
      {"size only", {5, 0, 0, 0}, "Read error"},
      {"size larger than the stream", WithSize(good, 1005), "Read error"},
      {"truncated stream", truncated, "Read error"},
      {"bad zlib header", damaged, "Decompression error"},
      {"corrupt deflate data", corrupt, ""},
      {"absurd size", WithSize(good, 0xFFFFFFF0u), "Read error"},
  };
  for (const auto& c : cases) {
    try {
      InflateFramed(c.block);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.messageStart, 0), 0u) << c.name << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace setup
