#!/usr/bin/env bash
# Configures the MinGW-w64 build of every program and test for 64-bit Windows, against the
# static Qt of scripts/build-qt-windows.sh (built first when the cache has none) and the HTTP
# library of Debian's cpp-httplib source. -O2 rather than -O3: GCC 12 warns falsely
# (-Wrestrict) on std::string copies it inlines at -O3.
#
#   scripts/configure-windows.sh [BUILD_DIR]     (default build/mingw)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-$root/build/mingw}

scripts/build-qt-windows.sh
qt=$(scripts/build-qt-windows.sh --print-prefix)

# Debian's cpp-httplib package holds a library built for Linux alone; its source is the whole
# library in one header, which qorpoll's endpoint compiles for Windows.
cache=${QOR_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qorstats}
httplib_version=$(scripts/debian-source.sh cpp-httplib "$cache/cpp-httplib-src")
httplib=$cache/cpp-httplib-${httplib_version#*:}
if [ ! -f "$httplib/httplib.h" ]; then
  rm -rf "$httplib.unpacking"
  dpkg-source -x "$cache/cpp-httplib-src/cpp-httplib_${httplib_version#*:}.dsc" "$httplib.unpacking" >/dev/null 2>&1
  mv "$httplib.unpacking" "$httplib"
fi
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-qt.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQOR_BUILD_BENCH=OFF -DCMAKE_PREFIX_PATH="$qt" -DQt6_DIR="$qt/lib/cmake/Qt6" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQOR_HTTPLIB_DIR="$httplib" \
  "${launcher[@]}" >/dev/null
