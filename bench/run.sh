#!/usr/bin/env bash
# Runs the package benchmark on ~100 MB of real files from this machine
# (and on the demo payload when it has been built), in an optimised build
# without sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build/bench --target package_bench >/dev/null
list=build/bench/payload-100mb.txt
if [ ! -s "$list" ]; then
  # Real files of all sizes: libraries, documentation, pictures.
  find /usr/lib /usr/share -xdev -type f -size +0 -readable -printf '%s %p\n' 2>/dev/null | LC_ALL=C sort -k2 |
    awk -v limit=$((100 * 1024 * 1024)) '{ s = $1; sub(/^[0-9]+ /, "");
      if (total + s <= limit) { print; total += s } }' > "$list" || true
fi
echo "== ~100 MB of real files =="
build/bench/bench/package_bench "$list"
demo=examples/demo
if [ -d "$demo" ] && ls build/win32/examples/demo/*.exe >/dev/null 2>&1; then
  echo "== demo payload =="
  find "$demo" build/win32/examples/demo -maxdepth 1 -type f \( -name '*.exe' -o -name '*.txt' -o -name '*.url' -o -name '*.skin' \) \
    ! -name 'demo-setup.exe' | LC_ALL=C sort > build/bench/payload-demo.txt
  build/bench/bench/package_bench build/bench/payload-demo.txt
fi
