#!/usr/bin/env bash
# Builds the panel and the driver simulator, starts the simulator in the background, runs
# the panel against it and stops the simulator when the panel closes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: the panel needs a desktop session (DISPLAY or WAYLAND_DISPLAY)." >&2
  echo "Under Xvfb, for example: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi

build/release/qorsimd "$@" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
sleep 0.3
build/release/qorstats
