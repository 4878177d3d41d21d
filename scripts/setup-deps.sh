#!/usr/bin/env bash
# Installs and builds everything the builds and the three test tiers need.
# Idempotent: a second run only checks stamps and takes seconds.
#
#   scripts/setup-deps.sh          set up everything
#   DEPS_DIR=/some/dir ...         build the cross libraries there
#
# The cache folder (DEPS_DIR) holds: libjpeg-turbo and GoogleTest built for
# the two MinGW targets, and the template Wine prefix the tests copy.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/deps-dir.sh
source "$here/deps-dir.sh"
mkdir -p "$DEPS_DIR"

log() { printf '[setup] %s\n' "$*"; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

APT_PACKAGES=(
  cmake ninja-build make g++ pkg-config clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
  wine wine64 xvfb x11-utils xauth fonts-wqy-microhei imagemagick
  googletest zlib1g-dev libjpeg62-turbo-dev libtomlplusplus-dev
  icoutils dpkg-dev file
)

install_apt_packages() {
  local missing=()
  for p in "${APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    log "installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  # The 32-bit Wine cannot run on this kernel and breaks the wine launcher.
  if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
    echo "wine32 is installed; remove it (apt-get remove wine32): only wine64 works here" >&2
    exit 1
  fi
}

# Debian's source package of libjpeg-turbo, fetched once through a deb-src
# entry derived from the machine's own apt sources.
fetch_libjpeg_source() {
  local src="$DEPS_DIR/src"
  if ls "$src"/libjpeg-turbo-*/CMakeLists.txt >/dev/null 2>&1; then return; fi
  mkdir -p "$src"
  if ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1 ||
     [ -z "$(apt-get source --print-uris libjpeg-turbo 2>/dev/null | grep -F .dsc)" ]; then
    local list=/etc/apt/sources.list.d/setup-deps-src.sources
    log "adding a deb-src entry ($list)"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$list" >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' |
        as_root tee /etc/apt/sources.list.d/setup-deps-src.list >/dev/null
    fi
    as_root apt-get update -qq
  fi
  log "fetching the libjpeg-turbo source package"
  (cd "$src" && apt-get source -qq --download-only libjpeg-turbo 2>/dev/null &&
     tar xzf libjpeg-turbo_*.orig.tar.gz)
}

build_libjpeg() {
  local triple=$1 prefix="$DEPS_DIR/$1"
  [ -f "$prefix/lib/libjpeg.a" ] && return
  fetch_libjpeg_source
  local srcdir
  srcdir=$(ls -d "$DEPS_DIR"/src/libjpeg-turbo-*/ | head -n1)
  log "building libjpeg-turbo for $triple"
  local bdir="$DEPS_DIR/build/libjpeg-$triple"
  rm -rf "$bdir"
  cmake -S "$srcdir" -B "$bdir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-$triple.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -Wno-dev >/dev/null
  cmake --build "$bdir" --target jpeg-static >/dev/null
  mkdir -p "$prefix/lib" "$prefix/include"
  cp "$bdir/libjpeg.a" "$prefix/lib/"
  cp "$srcdir"/{jpeglib.h,jmorecfg.h,jerror.h} "$bdir/jconfig.h" "$prefix/include/"
  rm -rf "$bdir"
}

build_gtest() {
  local triple=$1 prefix="$DEPS_DIR/$1"
  [ -f "$prefix/lib/libgtest.a" ] && return
  log "building GoogleTest for $triple"
  local bdir="$DEPS_DIR/build/gtest-$triple"
  rm -rf "$bdir"
  cmake -S /usr/src/googletest -B "$bdir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-$triple.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$bdir" >/dev/null
  cmake --install "$bdir" >/dev/null
  rm -rf "$bdir"
}

install_apt_packages
for t in x86_64 i686; do build_libjpeg "$t"; done
build_gtest x86_64
"$here/wine-template.sh"
log "ready: $DEPS_DIR"
