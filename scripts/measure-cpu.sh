#!/usr/bin/env bash
# How much of one core the panel takes on its real 500 ms ticks: qorsimd in its default setup
# and with --max-load, the release-built panel on an X server of its own (Xvfb), its CPU time
# (utime + stime from /proc/PID/stat) read before and after a measuring span.
#
# Two panels per setup: qorstats as the user starts it (it stays on the node it starts on)
# and qorstats_cpu_probe, the same panel walking its tree so that every page gets its turn:
# every node of the default setup; at maximum load (some 300 nodes) the roots and the first
# child of each.
#
# With `plots`, the default setup only: qorstats as above, then the same panel (the probe
# without its walk) with two history plots open, each redrawn on every tick, measured once
# they hold ten minutes of samples (some 13 minutes in all).
#
#   scripts/measure-cpu.sh            60 s per run, four runs
#   scripts/measure-cpu.sh plots      60 s per run, two runs
#   QOR_CPU_SECONDS=20 QOR_CPU_SELECT_MS=2000 QOR_BUILD_DIR=build/proof-release scripts/measure-cpu.sh
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${QOR_CPU_SECONDS:-60}
# Start-up and the first rebuild are not what is measured. At maximum load the first rebuild
# alone takes some ten seconds: every inserted bundle node is selected and shown in turn.
settle=${QOR_CPU_SETTLE:-5}
settle_max=${QOR_CPU_SETTLE_MAX_LOAD:-25}
select_ms=${QOR_CPU_SELECT_MS:-2500}
# Plots cost the most once they hold their full ten minutes; they open 1.5 s after the start.
settle_plots=${QOR_CPU_SETTLE_PLOTS:-610}
build=${QOR_BUILD_DIR:-build/release}
mode=${1:-all}
case $mode in
  all|plots) ;;
  *) echo "usage: scripts/measure-cpu.sh [plots]" >&2; exit 2 ;;
esac
# What the probe does besides running the panel; `plots` changes them for its second run.
probe_plots=0
label=""

scripts/install-deps.sh measure

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target qorstats qorsimd qorstats_cpu_probe -j "$(nproc)" >/dev/null

hz=$(getconf CLK_TCK)
guid='{006902CB-E626-45b4-8A62-2EAAD63F8D12}'

# utime + stime of a process, in clock ticks; the command name may hold blanks, so the
# fields are counted from the closing parenthesis.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat") || return 1
  stat=${stat##*) }
  awk '{ print $12 + $13 }' <<<"$stat"
}

now() { date +%s.%N; }

work=""
sim=""
xvfb=""
cleanup() {
  if [ -n "$xvfb" ]; then
    [ -f "$work/panel.pid" ] && kill "$(cat "$work/panel.pid")" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
  fi
  if [ -n "$sim" ]; then
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    sim=""
  fi
  if [ -n "$work" ]; then rm -rf "$work"; work=""; fi
}
trap cleanup EXIT

# run SETUP-NAME PANEL SETTLE-SECONDS [SIMULATOR OPTIONS...]
run() {
  local setup=$1 panel=$2 wait=$3
  shift 3
  work=$(mktemp -d /tmp/qor-cpu-XXXXXX)
  mkdir -m 700 "$work/run" "$work/config"
  export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"

  "$build/qorsimd" "$@" >"$work/sim.log" 2>&1 &
  sim=$!
  for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/qor1394-$guid" ] && break; sleep 0.1; done

  local children=""
  if [ "$setup" = max-load ]; then children=1; fi
  QOR_CPU_PROBE_SELECT_MS=$select_ms QOR_CPU_PROBE_CHILDREN=$children QOR_CPU_PROBE_PLOTS=$probe_plots xvfb-run -a -s "-screen 0 1280x1024x24" \
    env QT_QPA_PLATFORM=xcb sh -c 'echo $$ > "$1"; exec "$2"' sh "$work/panel.pid" "$build/$panel" \
    >"$work/panel.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/panel.pid" ] && break; sleep 0.1; done
  local pid
  pid=$(cat "$work/panel.pid" 2>/dev/null || true)
  sleep "$wait"
  if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
    echo "$setup $panel: the panel did not start" >&2
    cat "$work/panel.log" >&2
    return 1
  fi

  local c0 s0 t0 c1 s1 t1
  c0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$sim"); t0=$(now)
  sleep "$seconds"
  c1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$sim"); t1=$(now)
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "$setup $panel: the panel ended while measured" >&2
    return 1
  fi
  awk -v setup="$setup" -v panel="${label:-$panel}" -v c="$((c1 - c0))" -v s="$((s1 - s0))" -v hz="$hz" \
      -v t0="$t0" -v t1="$t1" 'BEGIN {
        wall = t1 - t0
        printf "%-9s %-19s panel %6.3f %% of one core (%d ticks of 1/%d s in %.1f s)   qorsimd %6.3f %%\n",
               setup, panel, 100 * c / hz / wall, c, hz, wall, 100 * s / hz / wall
      }'
  cleanup
}

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at start; ${seconds} s per run"
run default qorstats "$settle"
if [ "$mode" = plots ]; then
  select_ms=0
  probe_plots=2
  label="qorstats + 2 plots"
  run default qorstats_cpu_probe "$settle_plots"
else
  run default qorstats_cpu_probe "$settle"
  run max-load qorstats "$settle_max" --max-load
  run max-load qorstats_cpu_probe "$settle_max" --max-load
fi
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
