#include "package/checksum.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace setup {
namespace {

TEST(ByteSum, IsTheSumModulo2To32) {
  EXPECT_EQ(ByteSum({}), 0u);
  // 2^32 + 5 as a byte sum: 16843009 bytes of 255 give 4294967295, plus 6.
  std::vector<uint8_t> bytes(16843009, 255);
  bytes.push_back(6);
  EXPECT_EQ(ByteSum(bytes), 5u);
  EXPECT_EQ(ByteSumPlain(bytes), 5u);
}

TEST(ByteSum, SwapKeepsTheSumAndAChangedByteChangesIt) {
  std::vector<uint8_t> bytes = {1, 2, 3, 250, 9};
  const uint32_t sum = ByteSum(bytes);
  std::swap(bytes[0], bytes[3]);
  EXPECT_EQ(ByteSum(bytes), sum);
  bytes[2] ^= 0x10;
  EXPECT_NE(ByteSum(bytes), sum);
}

TEST(ByteSum, VectorizedEqualsThePlainLoopOnEveryLengthAndAlignment) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(4096 + 64);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  for (size_t start = 0; start < 17; ++start) {
    for (size_t length = 0; length + start <= bytes.size(); length += (length < 200 ? 1 : 97)) {
      const std::span<const uint8_t> s(bytes.data() + start, length);
      ASSERT_EQ(ByteSum(s), ByteSumPlain(s)) << "start " << start << " length " << length;
    }
  }
}

}  // namespace
}  // namespace setup
