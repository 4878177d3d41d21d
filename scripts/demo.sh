#!/usr/bin/env bash
# The main job: runs the demo installer (packed by the build) under Wine.
# With a display, it opens in a window for you to click through. Without
# one, it runs headless under Xvfb: the UI driver walks the wizard from
# welcome to finish and saves a screenshot of each page.
# The Wine prefix is kept, so the installed product can be looked at.
set -euo pipefail
cd "$(dirname "$0")/.."
installer=$PWD/build/win64/examples/demo/demo-setup.exe
driver=$PWD/build/win64/tests/e2e/uidriver.exe
prefix=$PWD/build/demo/prefix
shots=$PWD/build/demo/screenshots
[ -f "$installer" ] || { echo "demo: $installer is missing; run 'make demo' (it builds first)" >&2; exit 1; }

rm -rf "$shots"
mkdir -p "$shots"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "demo: running the demo installer on display $DISPLAY; click through its six pages"
  WINE_RUN_DISPLAY=inherit WINE_RUN_KEEP_PREFIX=$prefix scripts/wine-run.sh "$installer"
else
  echo "demo: no display; walking the wizard headless under Xvfb"
  WINE_RUN_DISPLAY=1 WINE_RUN_UNMANAGED=1 WINE_RUN_KEEP_PREFIX=$prefix \
    scripts/wine-run.sh "$driver" --start "$installer" walk --screenshots "$shots"
  echo
  echo "demo: screenshots of the six pages: $shots/page0.png ... page5.png"
fi
folder=$prefix/drive_c/TAVRO-X
if [ -d "$folder" ]; then
  echo "demo: the installed product: $folder"
  ls -l "$folder"
  echo "demo: its shortcuts: $prefix/drive_c/users/$(id -un)/Desktop and .../AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TAVRO-X"
  echo "demo: look at the registry with: WINEPREFIX=$prefix wine regedit"
fi
