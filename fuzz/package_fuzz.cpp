// libFuzzer target: a framed record block and a framed payload block, as
// an attacker could put them into an installer. Inflating, reading every
// field in use and validating must never read outside a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/error.h"
#include "package/checksum.h"
#include "package/framing.h"
#include "package/record_check.h"
#include "package/setup_config.h"

using namespace setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first two bytes split the input into the record and the payload.
  if (size < 2) return 0;
  const size_t split = 2 + ((data[0] | data[1] << 8) % (size - 1));
  const std::span<const uint8_t> all(data, size);
  const auto recordBlock = all.subspan(2, split - 2);
  const auto payloadBlock = all.subspan(split);

  SetupConfig config;
  try {
    const ByteBuffer record = InflateFramed(recordBlock);
    std::copy_n(record.data(), std::min(record.size(), kConfigSize), config.bytes().begin());
  } catch (const Error&) {
  }
  uint64_t payloadSize = 0;
  try {
    const ByteBuffer payload = InflateFramed(payloadBlock);
    payloadSize = payload.size();
    (void)ByteSum(payload.span());
  } catch (const Error&) {
  }

  (void)FindRecordProblems(config, payloadSize);
  (void)config.ProductName();
  for (int i = 0; i < EntriesInUse(config.FileCount()); ++i) (void)config.File(i);
  for (int i = 0; i < EntriesInUse(config.ShortcutCount()); ++i) (void)config.Shortcut(i);
  for (int i = 0; i < EntriesInUse(config.RegValueCount()); ++i) (void)config.RegValue(i);
  return 0;
}
