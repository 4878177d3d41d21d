#!/usr/bin/env bash
# The installation engine's file phase under Wine against the floor (a bare
# CreateFileW / WriteFile / CloseHandle loop in the same run and prefix),
# and both against a native `cp -r` of the same tree.
#
#   bench/run-install.sh [rounds]     (default 7, plus one warm-up round)
#
# What the numbers mean: every run writes into the page cache of the same
# disk and nothing is flushed (no fsync; caches cannot be dropped here), so
# they measure the work of creating files and handing their bytes to the
# kernel, not the disk. `cp -r` reads a tree that was just written, so its
# reads come from the cache too. The machine may be shared: the engine and
# the floor take turns record by record, so that both meet the same load;
# their ratio is steadier than either time.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target install_bench >/dev/null

work=$PWD/build/win64/bench
tree=$work/install-tree
copy=$work/install-tree-copy
rm -rf "$tree" "$copy"
trap 'rm -rf "$tree" "$copy"' EXIT
out=$(WINE_RUN_DISPLAY=1 WINE_RUN_UNMANAGED=1 ARTIFACT_DIR=$PWD/build/win64/artifacts/install_bench \
  scripts/wine-run.sh "$work/install_bench.exe" --rounds "$rounds" --export "Z:${tree//\//\\}")

# The same tree copied natively, as many times.
times=()
for _ in $(seq "$rounds"); do
  start=$(date +%s.%N)
  cp -r "$tree" "$copy"
  end=$(date +%s.%N)
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')")
  rm -rf "$copy"
done
cp_median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
engine=$(echo "$out" | awk -F: '/^engine file phase/ { print $2 + 0 }')
floor=$(echo "$out" | awk -F: '/^floor loop/ { print $2 + 0 }')

echo "== summary =="
echo "$out" | sed -n '1,4p'
awk -v n="$rounds" -v cp="$cp_median" -v e="$engine" -v f="$floor" 'BEGIN {
  printf "native cp -r, median of %d:             %7.3f s  (engine %.1fx, floor %.1fx of it)\n", n, cp, e / cp, f / cp }'
echo "== details =="
echo "$out" | sed -n '5,$p'
printf 'cp -r rounds: %s\n' "${times[*]}"
