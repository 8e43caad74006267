#!/usr/bin/env bash
# Installs the Debian packages that one of our scripts needs, and only the missing ones:
#
#   scripts/install-deps.sh SET...
#
#   run      build and run the panel, the simulator and qorpoll
#   test     build everything of the native presets and run every test
#   fuzz     the clang fuzz preset
#   windows  the MinGW-w64 cross build and its tests under Wine on Xvfb, the installer
#   windows-qt  Qt for Windows from Debian's qt6-base source (scripts/build-qt-windows.sh)
#   measure  the CPU measurement under Xvfb
#   icons    render the application icon from its SVG (scripts/make-icons.sh)
#
# Uses apt-get, through sudo when not root. Safe to run again: it asks apt only for what is
# missing, and does nothing when everything is there.
set -euo pipefail

# qorpoll's metrics endpoint is served by cpp-httplib.
build=(cmake ninja-build g++ pkg-config zlib1g-dev qt6-base-dev libcpp-httplib-dev)
# prometheus (with promtool), curl and jq: the metrics end to end (tests/metrics).
tests=(libgtest-dev libgmock-dev libbenchmark-dev desktop-file-utils appstream groff-base prometheus curl jq)

packages=()
for set in "$@"; do
  case $set in
    run) packages+=("${build[@]}") ;;
    test) packages+=("${build[@]}" "${tests[@]}") ;;
    fuzz) packages+=("${build[@]}" libgtest-dev libgmock-dev clang libclang-rt-14-dev) ;;
    windows)
      packages+=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
                 wine64 wine xvfb xauth googletest nsis zip unzip xdotool imagemagick libcpp-httplib-dev curl dpkg-dev) ;;
    windows-qt)
      packages+=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                 dpkg-dev perl qt6-base-dev qt6-base-dev-tools) ;;
    measure) packages+=("${build[@]}" "${tests[@]}" xvfb xauth) ;;
    icons) packages+=(librsvg2-bin imagemagick) ;;
    *)
      echo "install-deps.sh: unknown package set '$set' (run, test, fuzz, windows, windows-qt, measure, icons)" >&2
      exit 2 ;;
  esac
done
if [ ${#packages[@]} -eq 0 ]; then
  echo "usage: scripts/install-deps.sh run|test|fuzz|windows|windows-qt|measure|icons..." >&2
  exit 2
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' && continue
  [[ " ${missing[*]} " == *" $p "* ]] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "install-deps.sh: install them as root (apt-get install ${missing[*]}), or install sudo" >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
