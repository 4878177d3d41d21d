#!/usr/bin/env bash
# Builds the package fuzz target with clang's libFuzzer (ASan + UBSan) and
# runs it for a bounded time.
#   fuzz/run.sh [seconds]     (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out" fuzz/corpus-package
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -I. \
  fuzz/package_fuzz.cpp package/framing.cpp package/checksum.cpp \
  package/record_check.cpp package/setup_config.cpp -lz -o "$out/package_fuzz"

# Seeds: a few well-formed inputs, so the fuzzer starts past the zlib header.
python3 - fuzz/corpus-package <<'PY'
import os, struct, sys, zlib
d = sys.argv[1]
def framed(b): return struct.pack('<I', len(b)) + zlib.compress(b, 9)
record = bytearray(207160)
struct.pack_into('<i', record, 37164, 2)               # FileCount
struct.pack_into('<ii', record, 1324 + 132, 0, 3)       # Files[0]
struct.pack_into('<ii', record, 1324 + 140 + 132, 3, 4) # Files[1]
struct.pack_into('<i', record, 105776, 1)               # ShortcutCount
for name, rec, pay in [('valid', bytes(record), b'abcdefg'), ('empty', b'', b'')]:
    r = framed(rec)
    blob = struct.pack('<H', len(r)) + r + framed(pay)
    open(os.path.join(d, name), 'wb').write(blob)
PY
"$out/package_fuzz" -max_total_time="$seconds" -max_len=65536 fuzz/corpus-package
