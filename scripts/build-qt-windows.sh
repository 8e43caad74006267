#!/usr/bin/env bash
# Builds a static release Qt (qtbase only) for 64-bit Windows from Debian's own qt6-base source,
# with Debian's MinGW-w64 compilers and the host's Qt tools, and installs it into a cache folder
# outside the checkout. A second run finds it there and only prints its path.
#
#   scripts/build-qt-windows.sh [--print-prefix]
#
# The prefix is keyed by the source version and the configure options: a change to either builds
# anew beside the old one. QOR_QT_CACHE overrides the cache folder (default ~/.cache/qorstats).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# What the panel and its tests link: Core, Gui, Widgets, Test and the windows platform plugin.
# Direct2D stays: without it Qt 6.4's windows plugin asks for a DirectWrite font database that
# Gui then leaves out, and the link fails.
options=(-static -release -xplatform win32-g++ -qt-host-path /usr -nomake examples -nomake tests
         -no-opengl -no-dbus -no-icu -no-feature-vulkan -no-feature-tabletevent
         -no-feature-network -no-feature-concurrent -no-feature-sql -no-feature-printsupport
         -no-feature-xml -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre)

cache=${QOR_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qorstats}
srcdir=$cache/qt6-base-src

log() { [ "${print_only:-0}" = 1 ] || echo "build-qt-windows: $*"; }
print_only=0
[ "${1:-}" = "--print-prefix" ] && print_only=1

source_version() {
  local dsc
  dsc=$(ls "$srcdir"/qt6-base_*.dsc 2>/dev/null | sort -V | tail -1)
  [ -n "$dsc" ] && sed -n 's/^Version: //p' "$dsc"
}

if [ -z "$(source_version)" ]; then
  if [ "$print_only" = 1 ]; then echo "build-qt-windows: no Qt source in $srcdir yet" >&2; exit 1; fi
  scripts/install-deps.sh windows-qt
  scripts/debian-source.sh qt6-base "$srcdir" >/dev/null
fi
version=$(source_version)
key=$(printf '%s\n' "$version" "${options[@]}" "$(cat cmake/mingw-w64-x86_64.cmake cmake/mingw-w64-x86_64-qt.cmake)" \
      | sha256sum | cut -c1-12)
prefix=$cache/qt-windows-${version%%+*}-$key

if [ -f "$prefix/.complete" ]; then
  if [ "$print_only" = 1 ]; then echo "$prefix"; else log "using $prefix"; fi
  exit 0
fi
if [ "$print_only" = 1 ]; then echo "build-qt-windows: no Qt built in $prefix yet" >&2; exit 1; fi

scripts/install-deps.sh windows-qt
start=$(date +%s)
work=$cache/qt-windows-build-$key
rm -rf "$work" "$prefix"
mkdir -p "$work"
log "unpacking qt6-base $version"
dsc=$(ls "$srcdir"/qt6-base_"${version#*:}".dsc)
dpkg-source -x "$dsc" "$work/src" >/dev/null 2>&1
mkdir -p "$work/build"
# ccache, where there is one, makes a rebuild with other options cheap; it changes nothing built.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cd "$work/build"
log "configuring"
"$work/src/configure" -prefix "$prefix" "${options[@]}" -- -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-qt.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${launcher[@]}" >"$work/configure.log" 2>&1 \
  || { tail -40 "$work/configure.log"; exit 1; }
log "building (40 to 60 minutes on two cores)"
cmake --build . --parallel "$(nproc)" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
cmake --install . >"$work/install.log" 2>&1 || { tail -40 "$work/install.log"; exit 1; }
touch "$prefix/.complete"
cd "$cache"
rm -rf "$work"
log "built $prefix in $(( ($(date +%s) - start) / 60 )) min"
