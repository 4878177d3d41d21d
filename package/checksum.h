#pragma once
// The payload's integrity check: the sum of all bytes, modulo 2^32.
#include <cstdint>
#include <span>

namespace setup {

// Vectorized where the processor allows; always equal to ByteSumPlain.
uint32_t ByteSum(std::span<const uint8_t> bytes);

// The plain byte loop: the definition ByteSum is tested against.
uint32_t ByteSumPlain(std::span<const uint8_t> bytes);

}  // namespace setup
