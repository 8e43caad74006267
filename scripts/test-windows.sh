#!/usr/bin/env bash
# Builds every program and test for 64-bit Windows (MinGW-w64, and the static Qt that
# scripts/build-qt-windows.sh builds from Debian's qt6-base source once and caches), packages
# the installer and the portable zip, and proves them under Wine on a virtual X display:
#   - every test program (the widget tests with Qt's windows platform), less the files
#     tests/windows-skip.txt names with their reasons;
#   - every .exe imports Windows system DLLs only;
#   - qorsimd.exe serves a pipe, qorpoll.exe --json reads the same document from it as qorpoll
#     does on Linux (numbers and times apart), qorstats.exe shows the studio and says
#     "Driver opened." (its event log, and a screenshot in build/mingw/screenshots), a second
#     qorstats.exe exits 0, and a node chosen with the keyboard lands in the registry as
#     LastSelItem and is there again after a restart;
#   - the installer installs silently, the installed panel answers --version, the version shows
#     in Apps & features, and the uninstaller removes every file it put there.
# Installs the missing Debian packages with apt-get (through sudo when not root); safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/mingw
prefix=$build/wineprefix
shots=$build/screenshots
pipe='\\.\pipe\qor1394-test-windows'
title="Velmoric 1394 Driver Statistics Panel"
tests=(core_tests win32_tests panel_tests)

passed=0
failed=0
pass() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }
check() {  # check WHAT COMMAND...: one step of the end-to-end run
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# The single tests tests/windows-skip.txt names, as a negative gtest filter.
skipped_tests() {
  local names
  names=$(sed -n 's/^test \([A-Za-z0-9_.*]*\):.*/\1/p' tests/windows-skip.txt | paste -sd:)
  [ -n "$names" ] && echo "--gtest_filter=-$names"
}

run_gtest() {
  local t=$1 log=$build/$1.log rc=0
  echo "== $t (wine)"
  # Into a file, not a pipe: Wine's background services inherit the output and would keep a pipe open.
  timeout --kill-after=10 900 wine "$build/tests/$t.exe" --gtest_color=no $(skipped_tests) >"$log" 2>&1 \
    </dev/null || rc=$?
  cat "$log"
  local p f
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
  # A crash or a hang leaves no summary of its own: count the program as one failure.
  if [ "$rc" -ne 0 ] && [ -z "$p$f" ]; then fail "$t ended with exit code $rc before its summary"; fi
  if [ "$rc" -ne 0 ] && [ -n "$f" ] && [ "$f" -eq 0 ]; then fail "$t exit code $rc"; fi
}

system_dlls_only() {
  local exe=$1 dll bad=0
  for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p'); do
    # API sets (api-ms-win-...) are names the system itself resolves.
    case ${dll,,} in api-ms-win-*) continue ;; esac
    if [ -z "$(find "$prefix/drive_c/windows/system32" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
      echo "$(basename "$exe") imports $dll, which is no Windows system DLL"
      bad=1
    fi
  done
  return $bad
}

panel_window() {  # the panel's main window id, waiting up to 60 s
  timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -1
}

last_sel_item() {
  wine reg query 'HKLM\Software\Quandrel\QOR_Stats' /v LastSelItem 2>/dev/null | tr -d '\r' |
    sed -n 's/.*LastSelItem\s\+REG_DWORD\s\+\(0x[0-9a-fA-F]*\).*/\1/p'
}

same_document() {  # qorpoll --json on Windows and on Linux: equal but for numbers, times and line ends
  local norm='s/[0-9]\+/N/g; s/\r$//'
  diff <(sed "$norm" "$1") <(sed "$norm" "$2") >"$build/json.diff"
}

end_to_end() {
  local out=$build/e2e
  rm -rf "$out" "$shots"
  mkdir -p "$out" "$shots"
  echo "== end to end (wine)"
  for exe in qorstats qorpoll qorsimd; do
    check "$exe.exe imports system DLLs only" system_dlls_only "$build/$exe.exe"
    wine "$build/$exe.exe" --version >"$out/$exe.version" 2>&1 </dev/null || true
    check "$exe.exe --version says $exe $version" grep -q "^$exe $version" "$out/$exe.version"
    wine "$build/$exe.exe" --help >"$out/$exe.help" 2>&1 </dev/null || true
    check "$exe.exe --help names --device" grep -q -- "--device" "$out/$exe.help"
  done

  wine "$build/qorsimd.exe" --device "$pipe" >"$out/qorsimd.log" 2>&1 </dev/null &
  local sim=$!
  for _ in $(seq 60); do grep -q serving "$out/qorsimd.log" && break; sleep 0.5; done
  check "qorsimd.exe serves the pipe" grep -q "serving" "$out/qorsimd.log"

  wine "$build/qorpoll.exe" --device "$pipe" --json >"$out/windows.json" 2>"$out/qorpoll.err" </dev/null || true
  check "qorpoll.exe --json reads the studio through the pipe" grep -q '"ISO IN Streams"\|Stream' "$out/windows.json"
  if [ -x "$linux/qorsimd" ] && [ -x "$linux/qorpoll" ]; then
    local dir
    dir=$(mktemp -d)
    "$linux/qorsimd" --device "$dir/control" >/dev/null 2>&1 &
    local lsim=$!
    for _ in $(seq 50); do [ -S "$dir/control" ] && break; sleep 0.1; done
    "$linux/qorpoll" --device "$dir/control" --json >"$out/linux.json" 2>/dev/null || true
    kill "$lsim" 2>/dev/null; wait "$lsim" 2>/dev/null || true
    rm -rf "$dir"
    check "qorpoll.exe --json prints the document qorpoll prints on Linux" same_document "$out/windows.json" "$out/linux.json"
  else
    fail "no Linux qorpoll and qorsimd in $linux to compare with"
  fi

  # The endpoint of qorpoll.exe answers a scraper on this machine, as Prometheus would ask.
  local port=19464
  wine "$build/qorpoll.exe" --device "$pipe" --listen "127.0.0.1:$port" >"$out/listen.log" 2>&1 </dev/null &
  local listener=$!
  for _ in $(seq 60); do curl -s -o "$out/metrics.txt" "http://127.0.0.1:$port/metrics" && break; sleep 0.5; done
  check "qorpoll.exe --listen serves /metrics with the driver up" grep -q '^qor_driver_up 1' "$out/metrics.txt"
  check "qorpoll.exe --listen serves the counters" grep -q '^qor_iso_in_packets_received_total{' "$out/metrics.txt"
  check "qorpoll.exe --listen refuses what it does not serve" \
    test "$(curl -s -o /dev/null -w '%{http_code}' -X POST "http://127.0.0.1:$port/metrics")" = 405
  kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null || true

  # A paused replay serves the next tick on Enter at its console, and plays on after "p".
  mkfifo "$out/keys"
  wine "$build/qorsimd.exe" --device '\\.\pipe\qor1394-test-replay' --paused \
    --replay "$root/tests/recordings/hotplug.qorrec" <"$out/keys" >"$out/replay.log" 2>&1 &
  local replay=$!
  exec 7>"$out/keys"
  for _ in $(seq 60); do grep -q replaying "$out/replay.log" && break; sleep 0.5; done
  echo >&7
  for _ in $(seq 20); do grep -q ': tick [0-9]* at ' "$out/replay.log" && break; sleep 0.5; done
  check "qorsimd.exe --replay --paused steps on Enter" grep -q ': tick [0-9]* at ' "$out/replay.log"
  echo p >&7
  for _ in $(seq 20); do grep -q ': playing at tick' "$out/replay.log" && break; sleep 0.5; done
  check "and plays on after p" grep -q ': playing at tick' "$out/replay.log"
  exec 7>&-
  kill "$replay" 2>/dev/null; wait "$replay" 2>/dev/null || true

  wine "$build/qorstats.exe" --device "$pipe" >"$out/panel1.log" 2>&1 </dev/null &
  local panel=$!
  local win
  win=$(panel_window || true)
  check "qorstats.exe opens its window" test -n "$win"
  sleep 4
  import -window root "$shots/qorstats-wine.png" 2>/dev/null || true
  local events
  events=$(find "$prefix/drive_c/users" -path '*Velmoric/qorstats/events.log' 2>/dev/null | head -1)
  check "the panel says Driver opened. (event log under the user's local application data)" \
    grep -q "Driver opened\." "${events:-/dev/null}"

  local rc=0
  timeout 60 wine "$build/qorstats.exe" --device "$pipe" >"$out/panel2.log" 2>&1 </dev/null || rc=$?
  check "a second qorstats.exe exits 0" test "$rc" -eq 0
  check "and the first one runs on" kill -0 "$panel"

  if [ -n "$win" ]; then
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win" 2>/dev/null || true
    # The tree has the focus at start: two nodes down from "General" is the devices node.
    xdotool key --delay 300 Down Down 2>/dev/null || true
    sleep 2
  fi
  local stored
  stored=$(last_sel_item)
  check "a node chosen with the keyboard lands in HKLM\\Software\\Quandrel\\QOR_Stats as LastSelItem ($stored)" \
    test -n "$stored"
  [ -n "$win" ] && xdotool key ctrl+q 2>/dev/null || true
  timeout 30 tail --pid="$panel" -f /dev/null || kill "$panel" 2>/dev/null || true

  wine "$build/qorstats.exe" --device "$pipe" >"$out/panel3.log" 2>&1 </dev/null &
  panel=$!
  win=$(panel_window || true)
  sleep 4
  import -window root "$shots/qorstats-wine-restarted.png" 2>/dev/null || true
  check "LastSelItem is still $stored after a restart" test "$(last_sel_item)" = "$stored"
  [ -n "$win" ] && xdotool windowactivate "$win" key ctrl+q 2>/dev/null || true
  timeout 30 tail --pid="$panel" -f /dev/null || kill "$panel" 2>/dev/null || true
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
}

installer() {
  echo "== installer (wine)"
  local setup zip dir="$prefix/drive_c/Program Files/Velmoric/qorstats"
  local menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmoric"
  local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\com.velmoric.qorstats'
  setup=$(ls "$build"/package/qorstats-*-win64-setup.exe)
  zip=$(ls "$build"/package/qorstats-*-win64-portable.zip)
  check "the portable zip holds the three programs" \
    test "$(unzip -Z1 "$zip" | grep -c '\.exe$')" -eq 3
  # The installer ends when it is done; the uninstaller hands over to a copy of itself and
  # returns at once, so its work is waited for by what it removes.
  wine "$setup" /S </dev/null >/dev/null 2>&1 || true
  check "the installer put the three programs in Program Files" \
    test -f "$dir/qorstats.exe" -a -f "$dir/qorpoll.exe" -a -f "$dir/qorsimd.exe" -a -f "$dir/uninstall.exe"
  check "and a Start menu entry" test -f "$menu/$title.lnk"
  wine "$dir/qorstats.exe" --version >"$build/installed.version" 2>&1 </dev/null || true
  check "the installed qorstats.exe answers --version" grep -q "^qorstats $version" "$build/installed.version"
  check "Apps & features shows version $version" \
    sh -c "wine reg query '$key' /v DisplayVersion 2>/dev/null | grep -q '$version'"
  wine "$dir/uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
  for _ in $(seq 120); do [ -e "$dir" ] || [ -e "$menu" ] || break; sleep 0.5; done
  check "the uninstaller removed every file it put there" test ! -e "$dir" -a ! -e "$menu"
  check "and its entry in Apps & features" \
    sh -c "! wine reg query '$key' >/dev/null 2>&1"
}

run_under_display() {
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  # A fresh prefix every run: nothing a previous run left in its registry can pass for ours.
  rm -rf "$prefix"
  echo "== wine prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  wineserver -p
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT

  echo "== not run under Wine (tests/windows-skip.txt)"
  grep -v '^#' tests/windows-skip.txt
  for t in "${tests[@]}"; do run_gtest "$t"; done
  end_to_end
  installer
  echo "windows: $passed passed, $failed failed"
  [ "$passed" -gt 0 ] && [ "$failed" -eq 0 ]
}

version=$(sed -n 's/^project(qorstats VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The Linux programs the Windows ones are compared with: those of the test run, or built here.
linux=$root/build/debug
export version linux

if [ "${1:-}" = "--under-display" ]; then
  run_under_display
  exit $?
fi

scripts/install-deps.sh windows
echo "== qt for windows"
scripts/configure-windows.sh "$build"
echo "== mingw build"
cmake --build "$build" -j "$(nproc)"
echo "== package"
scripts/package-windows.sh "$build"
if [ ! -x "$linux/qorpoll" ] || [ ! -x "$linux/qorsimd" ]; then
  linux=$root/build/app
  cmake --preset app >/dev/null
  cmake --build --preset app -j "$(nproc)" --target qorpoll qorsimd
fi

xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --under-display
