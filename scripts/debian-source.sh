#!/usr/bin/env bash
# Downloads the Debian source package PACKAGE (its .dsc and tarballs) into DIR, unless DIR holds
# one already, adding deb-src entries for the machine's own suites when apt has none. Prints the
# source version.
#
#   scripts/debian-source.sh PACKAGE DIR
set -euo pipefail
package=$1
dir=$2

version() {
  local dsc
  dsc=$(ls "$dir/${package}"_*.dsc 2>/dev/null | sort -V | tail -1)
  [ -n "$dsc" ] && sed -n 's/^Version: //p' "$dsc"
}

if [ -z "$(version)" ]; then
  if [ -z "$(apt-get source --print-uris "$package" 2>/dev/null | grep -m1 orig)" ]; then
    # The machine's own suites, as source: the binary entries say which they are.
    echo "debian-source: adding a deb-src entry for the machine's suites" >&2
    sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" sh -c 'for f in /etc/apt/sources.list.d/*.sources; do
        [ "$f" = /etc/apt/sources.list.d/qorstats-src.sources ] && continue
        grep -q "^Types: deb$" "$f" 2>/dev/null && sed "s/^Types: deb$/Types: deb-src/" "$f"; echo; done \
        > /etc/apt/sources.list.d/qorstats-src.sources;
      [ -f /etc/apt/sources.list ] && grep "^deb " /etc/apt/sources.list | sed "s/^deb /deb-src /" \
        >> /etc/apt/sources.list.d/qorstats-src.list || true'
    "${sudo[@]}" apt-get update -qq
  fi
  mkdir -p "$dir"
  (cd "$dir" && apt-get source --download-only "$package" >/dev/null 2>&1)
fi
version
