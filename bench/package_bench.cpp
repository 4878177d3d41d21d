// Inflate + byte-sum check of a payload against a bare one-shot zlib
// inflate of the same stream into a fresh N-byte buffer, measured side by
// side in one run; and the peak memory of inflate + check.
//
//   package_bench <file-list>     files whose contents make up the payload
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "package/checksum.h"
#include "package/framing.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> ReadPayload(const char* listFile) {
  std::ifstream list(listFile);
  std::vector<uint8_t> payload;
  for (std::string path; std::getline(list, path);) {
    std::ifstream in(path, std::ios::binary);
    payload.insert(payload.end(), std::istreambuf_iterator<char>(in), {});
  }
  return payload;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double TimeOurs(const std::vector<uint8_t>& framed, uint32_t expectedSum) {
  const auto start = Clock::now();
  const setup::ByteBuffer payload = setup::InflateFramed(framed);
  if (setup::ByteSum(payload.span()) != expectedSum) std::abort();
  return Seconds(start);
}

double TimeBare(const std::vector<uint8_t>& framed, size_t n) {
  const auto start = Clock::now();
  std::unique_ptr<uint8_t[]> out(new uint8_t[n]);
  uLongf outLen = n;
  if (uncompress(out.get(), &outLen, framed.data() + 4, framed.size() - 4) != Z_OK) std::abort();
  return Seconds(start);
}

long MaxRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Peak memory of inflate + check alone, in a child that holds only the
// framed bytes beforehand.
long PeakDeltaKiB(const std::vector<uint8_t>& payload) {
  const std::vector<uint8_t> framed = setup::DeflateFramed(payload);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) std::abort();
  if (fork() == 0) {
    std::vector<uint8_t> own(framed);  // what the resource holds
    const long before = MaxRssKiB();
    const setup::ByteBuffer inflated = setup::InflateFramed(own);
    volatile uint32_t sum = setup::ByteSum(inflated.span());
    (void)sum;
    const long delta = MaxRssKiB() - before;
    (void)!write(pipeFds[1], &delta, sizeof delta);
    _exit(0);
  }
  long delta = -1;
  (void)!read(pipeFds[0], &delta, sizeof delta);
  wait(nullptr);
  return delta;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file-list>\n", argv[0]);
    return 2;
  }
  const std::vector<uint8_t> payload = ReadPayload(argv[1]);
  const std::vector<uint8_t> framed = setup::DeflateFramed(payload);
  const uint32_t sum = setup::ByteSumPlain(payload);
  const long peak = PeakDeltaKiB(payload);  // before the timing loops grow this process

  std::vector<double> ours, bare, ratios;
  for (int round = 0; round < 9; ++round) {
    // Alternate the order so that neither side always runs on a warmer heap.
    double o, b;
    if (round % 2) {
      o = TimeOurs(framed, sum);
      b = TimeBare(framed, payload.size());
    } else {
      b = TimeBare(framed, payload.size());
      o = TimeOurs(framed, sum);
    }
    ours.push_back(o);
    bare.push_back(b);
    ratios.push_back(o / b);
  }
  const auto startPlain = Clock::now();
  volatile uint32_t plain = setup::ByteSumPlain(payload);
  (void)plain;
  const double plainSum = Seconds(startPlain);
  const auto startFast = Clock::now();
  volatile uint32_t fast = setup::ByteSum(payload);
  (void)fast;
  const double fastSum = Seconds(startFast);

  const double n = static_cast<double>(payload.size());
  std::printf("payload %zu bytes, framed %zu bytes\n", payload.size(), framed.size());
  std::printf("inflate+check median %.1f ms, bare inflate median %.1f ms, median ratio %.3f\n",
              Median(ours) * 1e3, Median(bare) * 1e3, Median(ratios));
  std::printf("byte sum: plain loop %.2f ms (%.1f%% of bare inflate), vectorized %.2f ms (%.2f%%)\n",
              plainSum * 1e3, 100 * plainSum / Median(bare), fastSum * 1e3, 100 * fastSum / Median(bare));
  const double budgetKiB = (static_cast<double>(framed.size()) + n) / 1024 + 1024;
  std::printf("peak memory of inflate+check: +%ld KiB over the framed bytes (N = %.0f KiB; budget N + 1 MiB = %.0f KiB)\n",
              peak, n / 1024, n / 1024 + 1024);
  (void)budgetKiB;
  return 0;
}
