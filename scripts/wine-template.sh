#!/usr/bin/env bash
# Prepares the template Wine prefix that every Windows test run copies:
# fonts for the window's Chinese texts, no crash dialogs. Rebuilt only when
# Wine or this script changes.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/deps-dir.sh"

template="$DEPS_DIR/wine-template"
stamp="$(wine --version 2>/dev/null) $(sha256sum "$0" | cut -c1-16)"
if [ -f "$template/.stamp" ] && [ "$(cat "$template/.stamp")" = "$stamp" ]; then exit 0; fi

echo "[setup] preparing the template Wine prefix"
rm -rf "$template"
export WINEPREFIX="$template" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot -i >/dev/null 2>&1
wineserver -w
# Wine links the user's Desktop, Documents and the like to the Linux home.
# Shortcuts the tests and the demo create must stay inside the prefix.
find "$template/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
  rm "$link" && mkdir "$link"
done

# The design fonts are not on Linux: map them to WenQuanYi Micro Hei.
reg=$(mktemp --suffix=.reg)
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for f in '微软雅黑' '宋体' 'Gadugi' 'Microsoft YaHei' 'SimSun' 'MS Shell Dlg' 'Tahoma'; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$f"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
rm -f "$reg"
wineserver -w
echo "$stamp" > "$template/.stamp"
