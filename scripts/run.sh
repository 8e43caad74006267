#!/usr/bin/env bash
# Builds the panel, the driver simulator and qorpoll, starts the simulator with the options
# given, runs the panel against it and stops the simulator when the panel closes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/app

if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  cat <<EOF
Usage: scripts/run.sh [simulator options]

Builds qorstats, qorsimd and qorpoll (release build in $build), starts the driver simulator
qorsimd with the options given, and opens the panel against it. The simulator stops when the
panel closes. Needs a desktop session; installs the Debian packages it needs with apt-get.
EOF
  if [ -x "$build/qorsimd" ]; then
    echo
    "$build/qorsimd" --help
  else
    echo "The simulator's options: $build/qorsimd --help (once built)."
  fi
  exit 0
fi

# Before anything is installed or built: without a display there is nothing to show.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display: the panel needs a desktop session (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
  echo "run.sh: on a machine without one, try Debian's xvfb: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi

scripts/install-deps.sh run
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake --preset app "${launcher[@]}" >/dev/null
cmake --build --preset app -j "$(nproc)"

log=$(mktemp "${TMPDIR:-/tmp}/qor-run-sim.XXXXXX")
"$build/qorsimd" "$@" >"$log" 2>&1 &
sim=$!
stop_simulator() {
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -f "$log"
}
trap stop_simulator EXIT

# The simulator says "serving PATH" once the control device is there; if it ends instead
# (a mistyped option, --help, another simulator already serving), its own words explain why.
for _ in $(seq 100); do
  if grep -q serving "$log"; then break; fi
  if ! kill -0 "$sim" 2>/dev/null; then
    status=0
    wait "$sim" || status=$?
    if [ "$status" -eq 0 ]; then
      cat "$log"
    else
      cat "$log" >&2
      echo "run.sh: the simulator ended with exit code $status; the panel was not started." >&2
    fi
    exit "$status"
  fi
  sleep 0.1
done
if ! grep -q serving "$log"; then
  cat "$log" >&2
  echo "run.sh: the simulator did not start serving within 10 seconds." >&2
  exit 1
fi
cat "$log"

status=0
"$build/qorstats" || status=$?
exit "$status"
