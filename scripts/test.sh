#!/usr/bin/env bash
# Builds and runs every test: the debug preset, then the same tests under ASan+UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
for preset in debug asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$jobs"
done
