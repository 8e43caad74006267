#!/usr/bin/env bash
# Fuzzes the panel against a driver whose every answer comes from libFuzzer, for SECONDS seconds in
# all (default 60), with the fuzz preset (clang, ASan+UBSan):
#   driver  CDev and the snapshot under the polling cycle, no window: thousands of inputs a second;
#   panel   the whole window, one main frame for every input, each input run twice;
#   record  the reader of recordings (qorpoll --record) and their replay, as a file from a stranger.
# All run by default, a quarter of the time each for the driver and record harnesses; name one to
# give it all of it. Each runs one job on a copy of fuzz/corpus/<harness> with its dictionary
# (fuzz/qor.dict, fuzz/record.dict for the record harness); what it finds is copied to
# fuzz/crashes/<harness>/, which the tests replay. Exits non-zero when a crash, a leak, a hang or a
# broken check was found.
#
#   scripts/fuzz.sh [SECONDS] [driver|panel|record]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
only=${2:-}
case "$only" in
  ""|driver|panel|record) ;;
  *) echo "usage: $0 [SECONDS] [driver|panel|record]" >&2; exit 2 ;;
esac
scripts/install-deps.sh fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target driver_fuzzer panel_fuzzer record_fuzzer -j "$(nproc)"

run=$(mktemp -d "${TMPDIR:-/tmp}/qor-fuzz-run.XXXXXX")
trap 'rm -rf "$run"' EXIT

export QT_QPA_PLATFORM=offscreen
# The panel keeps an event log: the run's own, not the user's.
export XDG_STATE_HOME="$run/state"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp}"

# fuzz HARNESS SECONDS TIMEOUT DICT [FLAGS...]: one harness; sets found to 1 when it found anything.
found=0
fuzz() {
  local harness=$1 time=$2 timeout=$3 dict=$4 status
  shift 4
  mkdir -p "$run/$harness/corpus" "$run/$harness/artifacts"
  cp fuzz/corpus/"$harness"/* "$run/$harness/corpus/"
  echo "== $harness harness, $time s"
  set +e
  build/fuzz/fuzz/"${harness}"_fuzzer -max_total_time="$time" -timeout="$timeout" -rss_limit_mb=4096 \
    -dict="$dict" -print_final_stats=1 -artifact_prefix="$run/$harness/artifacts/" "$@" \
    "$run/$harness/corpus" >"$run/$harness/log" 2>&1
  status=$?
  set -e
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)|ERROR|SUMMARY' \
    "$run/$harness/log" || true
  local artifacts=("$run/$harness"/artifacts/*)
  if [ -e "${artifacts[0]}" ]; then
    mkdir -p fuzz/crashes/"$harness"
    cp "${artifacts[@]}" fuzz/crashes/"$harness"/
    echo "fuzz: the $harness harness found $(ls "$run/$harness/artifacts" | wc -l) input(s), copied to fuzz/crashes/$harness/:"
    ls "$run/$harness/artifacts"
    tail -n 60 "$run/$harness/log"
    found=1
  elif [ "$status" -ne 0 ]; then
    echo "fuzz: the $harness fuzzer exited with status $status"
    tail -n 60 "$run/$harness/log"
    found=1
  fi
}

# Inputs stay short, so that they run fast: 2 KB answer a refresh of a studio and, with repeated
# answers, a few more; the panel gets 4 KB for its walks and page reads.
driver_flags=(-max_len=2048)
# The panel lives across inputs, and Qt's caches grow as new texts are drawn: an input that
# allocates more than it frees is the rule there, and checking each one for leaks would take a
# sixth of the time. Leaks still show at exit (LSan), and the replay tests check the corpus.
panel_flags=(-max_len=4096 -detect_leaks=0)
# A few ticks of a studio, packed or not.
record_flags=(-max_len=16384)
case "$only" in
  driver) fuzz driver "$seconds" 10 fuzz/qor.dict "${driver_flags[@]}" ;;
  panel) fuzz panel "$seconds" 30 fuzz/qor.dict "${panel_flags[@]}" ;;
  record) fuzz record "$seconds" 10 fuzz/record.dict "${record_flags[@]}" ;;
  *)
    fuzz driver $((seconds / 4)) 10 fuzz/qor.dict "${driver_flags[@]}"
    fuzz record $((seconds / 4)) 10 fuzz/record.dict "${record_flags[@]}"
    fuzz panel $((seconds - 2 * (seconds / 4))) 30 fuzz/qor.dict "${panel_flags[@]}"
    ;;
esac
if [ "$found" -ne 0 ]; then exit 1; fi
echo "fuzz: nothing found in ${seconds} s"
