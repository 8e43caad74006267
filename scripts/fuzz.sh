#!/usr/bin/env bash
# Fuzzes the panel against a driver whose every answer comes from libFuzzer, for SECONDS
# seconds (default 60): builds the fuzz preset (clang, ASan+UBSan), runs the harness on a copy
# of fuzz/corpus, and copies anything it finds to fuzz/crashes/ to be replayed by the tests.
# Exits non-zero when the fuzzer found a crash, a leak or a hang.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target panel_fuzzer -j "$(nproc)"

run=$(mktemp -d "${TMPDIR:-/tmp}/qor-fuzz-run.XXXXXX")
trap 'rm -rf "$run"' EXIT
mkdir -p "$run/corpus" "$run/artifacts"
cp fuzz/corpus/* "$run/corpus/"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp}"
set +e
build/fuzz/fuzz/panel_fuzzer -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
  -print_final_stats=1 -artifact_prefix="$run/artifacts/" "$run/corpus" 2>&1 | tee "$run/log" \
  | grep -E '^#[0-9]+[[:space:]]+(INITED|DONE|pulse)|^stat::|ERROR|SUMMARY'
status=${PIPESTATUS[0]}
set -e

found=("$run"/artifacts/*)
if [ -e "${found[0]}" ]; then
  mkdir -p fuzz/crashes
  cp "${found[@]}" fuzz/crashes/
  echo "fuzz: found $(ls "$run/artifacts" | wc -l) input(s), copied to fuzz/crashes/:"
  ls "$run/artifacts"
  tail -n 60 "$run/log"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "fuzz: the fuzzer exited with status $status"
  tail -n 60 "$run/log"
  exit "$status"
fi
echo "fuzz: no crash in ${seconds} s"
