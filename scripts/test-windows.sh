#!/usr/bin/env bash
# Cross-builds the non-Qt part of the panel for 64-bit Windows with MinGW-w64 and runs its tests
# under Wine on a virtual X display (the single-instance tests need real windows). Installs the
# missing Debian packages with apt-get (through sudo when not root); safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/mingw
prefix=$build/wineprefix
tests=(core_tests win32_tests)

run_under_display() {
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  # A fresh prefix every run: nothing a previous run left in its registry can pass for ours.
  rm -rf "$prefix"
  echo "== wine prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  wineserver -p
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT

  local passed=0 failed=0 status=0
  for t in "${tests[@]}"; do
    echo "== $t (wine)"
    local log=$build/$t.log rc=0
    # Into a file, not a pipe: Wine's background services inherit the output and would keep a pipe open.
    timeout --kill-after=10 900 wine "$build/tests/$t.exe" --gtest_color=no >"$log" 2>&1 </dev/null || rc=$?
    cat "$log"
    local p f
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
    passed=$((passed + ${p:-0}))
    failed=$((failed + ${f:-0}))
    if [ "$rc" -ne 0 ]; then
      status=1
      # A crash or a hang leaves no summary of its own: count the program as one failure.
      if [ -z "$p$f" ]; then
        echo "$t ended with exit code $rc before its summary"
        failed=$((failed + 1))
      fi
    fi
  done
  [ "$passed" -gt 0 ] || status=1
  echo "windows: $passed passed, $failed failed"
  return "$status"
}

if [ "${1:-}" = "--under-display" ]; then
  run_under_display
  exit $?
fi

scripts/install-deps.sh windows

echo "== mingw build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Debug -DQOR_BUILD_GUI=OFF -DQOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --under-display
