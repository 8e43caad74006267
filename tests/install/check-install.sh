#!/usr/bin/env bash
# Installs a build into a temporary prefix and looks at it as a desktop and a packager would:
# the programs run from there, Debian's desktop-file-validate and appstreamcli accept the
# desktop entry and the metainfo, the entry's program and icon are there (every PNG of the
# size its directory says), and each program has a man page that groff reads without a
# warning and that names every option of its --help.
#
#   check-install.sh CMAKE BUILD-DIR VERSION
set -euo pipefail
cmake=$1 build=$2 version=$3
prefix=$(mktemp -d "${TMPDIR:-/tmp}/qor-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
id=com.velmoric.qorstats
share=$prefix/share
desktop=$share/applications/$id.desktop
programs=(qorstats qorsimd qorpoll)

for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || { fail "$program is not installed"; continue; }
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --version 2>&1) ||
    fail "$program --version failed: $said"
  [ "$said" = "$program $version" ] || fail "$program --version says '$said', not '$program $version'"
done

# Hints count: a clean entry gives no output at all.
[ -f "$desktop" ] || fail "no desktop entry $id.desktop"
said=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$said" ] || fail "desktop-file-validate: $said"
said=$(appstreamcli validate --no-net --pedantic --strict "$share/metainfo/$id.metainfo.xml" 2>&1) ||
  fail "appstreamcli validate: $said"
# The tree as a whole: the metainfo's launchable is an installed desktop entry.
said=$(appstreamcli validate-tree --no-net --pedantic "$prefix" 2>&1) || fail "appstreamcli validate-tree: $said"

exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -n "$exec" ] && [ -x "$prefix/bin/$exec" ] || fail "Exec=$exec names no installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ "$icon" = "$id" ] || fail "Icon=$icon, not the desktop id $id"
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || { fail "no ${size}x${size} icon"; continue; }
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done

for program in "${programs[@]}"; do
  page=$share/man/man1/$program.1
  [ -f "$page" ] || { fail "no man page for $program"; continue; }
  said=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$said" ] || fail "groff on $program.1: $said"
  for option in $("$prefix/bin/$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" "$page" || fail "$program.1 does not name $option"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s) in the installed tree"
  exit 1
fi
echo "installed tree of $(find "$prefix" -type f | wc -l) files is clean"
