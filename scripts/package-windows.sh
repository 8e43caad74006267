#!/usr/bin/env bash
# Builds the Windows installer and the portable zip of the panel, qorpoll and the simulator:
#
#   scripts/package-windows.sh [BUILD_DIR]
#
# BUILD_DIR is a MinGW-w64 build with Qt (default build/mingw, configured and built here when
# missing, the static Qt first: scripts/build-qt-windows.sh). Writes into BUILD_DIR/package:
#   qorstats-VERSION-win64-setup.exe    the installer (Start menu entry, uninstaller in Apps)
#   qorstats-VERSION-win64-portable.zip the three programs, to run from any folder
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-$root/build/mingw}")

scripts/install-deps.sh windows
if [ ! -f "$build/qorstats.exe" ]; then
  scripts/configure-windows.sh "$build"
  cmake --build "$build" -j "$(nproc)" --target qorstats qorpoll qorsimd
fi
version=$(sed -n 's/^project(qorstats VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=$build/package
rm -rf "$out"
mkdir -p "$out/bin"
for exe in qorstats qorpoll qorsimd; do
  x86_64-w64-mingw32-strip -o "$out/bin/$exe.exe" "$build/$exe.exe"
done

makensis -V2 -DQOR_VERSION="$version" -DQOR_BIN="$out/bin" -DQOR_ICON="$root/res/icons/com.velmoric.qorstats.ico" \
  -DQOR_OUT="$out/qorstats-$version-win64-setup.exe" "$root/data/windows/qorstats.nsi"

portable=qorstats-$version-win64-portable
mkdir -p "$out/$portable"
cp "$out"/bin/*.exe "$out/$portable/"
cat >"$out/$portable/README.txt" <<TEXT
Velmoric 1394 Driver Statistics Panel $version, portable

qorstats.exe  the panel: reads the driver's counters every 500 ms and shows them
qorpoll.exe   the same polling cycle on a console (--help lists its modes)
qorsimd.exe   the driver simulator, for trying the panel without the driver:
                start qorsimd.exe, then qorstats.exe --device \\\\.\\pipe\\qor1394-{006902CB-E626-45b4-8A62-2EAAD63F8D12}

Nothing needs installing: run the programs from this folder. The panel keeps its one setting
in the registry and its event log under %LOCALAPPDATA%\\Velmoric\\qorstats.
TEXT
(cd "$out" && rm -f "$portable.zip" && zip -qr "$portable.zip" "$portable")
rm -rf "$out/$portable"
ls -l "$out"/*.exe "$out"/*.zip | awk '{print $5, $9}'
