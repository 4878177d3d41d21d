#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh copy of the template prefix,
# then stops everything it started. CTest uses it as the cross-compiling
# emulator of the win64 build.
#
#   scripts/wine-run.sh program.exe [args...]
#
# Environment:
#   WINE_RUN_DISPLAY=1        start a private Xvfb for the run
#   WINE_RUN_DISPLAY=inherit  use the caller's $DISPLAY (a person watching)
#                             (otherwise: no display at all)
#   WINE_RUN_UNMANAGED=1      Wine places and hides the windows itself (see below)
#   WINE_RUN_DRIVE_D=DIR      make DIR the prefix's drive D: (default: no D:)
#   WINE_RUN_KEEP_PREFIX=DIR  use and keep DIR as the prefix (for a look later)
#   ARTIFACT_DIR=DIR          handed on to the program as a Windows path
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/deps-dir.sh"
template="$DEPS_DIR/wine-template"
[ -f "$template/.stamp" ] || "$here/wine-template.sh"

if [ -n "${WINE_RUN_KEEP_PREFIX:-}" ]; then
  prefix=$WINE_RUN_KEEP_PREFIX; keep=1
  rm -rf "$prefix"; mkdir -p "$prefix"
else
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX"); keep=0
fi
cp -a "$template/." "$prefix/"
# winemenubuilder would mirror every shortcut saved in the prefix into the
# Linux desktop menus of the user running the tests, and rewrites the
# prefix's "Shell Folders" values while doing it.
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  [ "$keep" = 1 ] || rm -rf "$prefix"
}
trap cleanup EXIT

if [ -n "${WINE_RUN_DRIVE_D:-}" ]; then
  mkdir -p "$WINE_RUN_DRIVE_D"
  ln -sfn "$(realpath "$WINE_RUN_DRIVE_D")" "$prefix/dosdevices/d:"
else
  rm -f "$prefix/dosdevices/d:" "$prefix/dosdevices/d::"
fi

# The private Xvfb has no window manager. Each time a window with a caption
# is hidden (a message box closing), Wine waits about 2 s for a window
# manager to confirm it, and the program stalls meanwhile; unmanaged
# windows do not wait.
if [ "${WINE_RUN_UNMANAGED:-0}" = 1 ]; then
  printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n' >> "$prefix/user.reg"
fi

if [ "${WINE_RUN_DISPLAY:-0}" = 1 ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 30 num <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$num"
elif [ "${WINE_RUN_DISPLAY:-0}" != inherit ]; then
  unset DISPLAY
fi

if [ -n "${ARTIFACT_DIR:-}" ]; then
  mkdir -p "$ARTIFACT_DIR"
  ARTIFACT_DIR=$(winepath -w "$ARTIFACT_DIR" 2>/dev/null)
  export ARTIFACT_DIR
fi

set +e
wine "$@"
rc=$?
exit $rc
