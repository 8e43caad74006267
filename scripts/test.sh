#!/usr/bin/env bash
# Builds and runs every test: the debug preset, then the same tests under ASan+UBSan.
# Installs the Debian packages the tests need first (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
jobs=$(nproc)
for preset in debug asan; do
  echo "== $preset"
  cmake --preset "$preset" "${launcher[@]}" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$jobs"
done
