#include "package/checksum.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define SETUP_HAVE_SSE2_PATH 1
#endif

namespace setup {

uint32_t ByteSumPlain(std::span<const uint8_t> bytes) {
  uint32_t sum = 0;
  for (const uint8_t b : bytes) sum += b;
  return sum;
}

#ifdef SETUP_HAVE_SSE2_PATH
namespace {

// PSADBW adds 8 bytes into a 64-bit lane in one instruction; four
// independent accumulators keep the loads flowing.
__attribute__((target("sse2"))) uint32_t ByteSumSse2(const uint8_t* p, size_t n) {
  const __m128i zero = _mm_setzero_si128();
  __m128i a0 = zero, a1 = zero, a2 = zero, a3 = zero;
  size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    a0 = _mm_add_epi64(a0, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), zero));
    a1 = _mm_add_epi64(a1, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16)), zero));
    a2 = _mm_add_epi64(a2, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 32)), zero));
    a3 = _mm_add_epi64(a3, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 48)), zero));
  }
  for (; i + 16 <= n; i += 16) {
    a0 = _mm_add_epi64(a0, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), zero));
  }
  const __m128i all = _mm_add_epi64(_mm_add_epi64(a0, a1), _mm_add_epi64(a2, a3));
  alignas(16) uint64_t lanes[2];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), all);
  uint64_t sum = lanes[0] + lanes[1];
  for (; i < n; ++i) sum += p[i];
  return static_cast<uint32_t>(sum);  // modulo 2^32
}

bool HaveSse2() {
#if defined(__x86_64__)
  return true;
#else
  return __builtin_cpu_supports("sse2");
#endif
}

}  // namespace
#endif

uint32_t ByteSum(std::span<const uint8_t> bytes) {
#ifdef SETUP_HAVE_SSE2_PATH
  if (HaveSse2()) return ByteSumSse2(bytes.data(), bytes.size());
#endif
  return ByteSumPlain(bytes);
}

}  // namespace setup
