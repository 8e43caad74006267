#!/usr/bin/env bash
# qorpoll's metrics against the real engine: Debian's prometheus, on loopback with a data folder
# of its own, scrapes `qorpoll --listen` against `qorsimd --error-rate 5` with the rules of
# contrib/. Checks the text with promtool, the contrib files, a counter's value as the HTTP API
# answers it, a positive rate of the error counters, the error alert firing, and qor_driver_up 0
# once the simulator stops, with the endpoint still answering. Run by ctest:
#   check-prometheus.sh QORSIMD QORPOLL SOURCE_DIR
set -euo pipefail
simd=$1 poll=$2 source=$3
for tool in prometheus promtool curl jq; do
  command -v "$tool" >/dev/null || { echo "check-prometheus: $tool is missing (scripts/install-deps.sh test)"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qor-prometheus.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check-prometheus: $*"
  for log in "$work"/*.log; do echo "== $log"; tail -n 20 "$log"; done
  exit 1
}
# Waits up to $1 seconds for the command after it to succeed.
within() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.5
  done
}

echo "== contrib"
promtool check config "$source/contrib/prometheus.yml" >/dev/null || fail "contrib/prometheus.yml does not check"
promtool check rules "$source/contrib/qorstats-rules.yml" >/dev/null || fail "contrib/qorstats-rules.yml does not check"
jq -e '.panels | length > 0' "$source/contrib/grafana-dashboard.json" >/dev/null || fail "the dashboard is no JSON with panels"

echo "== qorsimd and qorpoll"
"$simd" --socket "$work/sim.sock" --error-rate 5 >"$work/simd.log" 2>&1 &
simd_pid=$!
pids+=("$simd_pid")
within 10 test -S "$work/sim.sock" || fail "qorsimd did not start"
# A long period against a short scrape interval: the latest scrape and the endpoint agree most of the time.
"$poll" --socket "$work/sim.sock" --listen 127.0.0.1:0 --period-ms 3000 2>"$work/poll.log" &
pids+=("$!")
within 10 grep -qs 'serving http://127.0.0.1:[0-9]*/metrics' "$work/poll.log" || fail "qorpoll does not listen"
port=$(sed -n 's|.*serving http://127.0.0.1:\([0-9]*\)/metrics.*|\1|p' "$work/poll.log")
endpoint=http://127.0.0.1:$port/metrics

curl -sf "$endpoint" >"$work/metrics.txt" || fail "no answer from $endpoint"
promtool check metrics <"$work/metrics.txt" || fail "promtool check metrics finds problems"
# Every metric the dashboard and the rules ask for exists.
for name in $(jq -r '.. | .expr? // empty' "$source/contrib/grafana-dashboard.json" | grep -o 'qor_[a-z0-9_]*' | sort -u) \
            $(grep -o 'qor_[a-z0-9_]*' "$source/contrib/qorstats-rules.yml" | sort -u); do
  grep -q "^$name[{ ]" "$work/metrics.txt" || fail "the dashboard or the rules name $name, which qorpoll does not serve"
done

echo "== prometheus"
cat >"$work/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  scrape_timeout: 1s
  evaluation_interval: 1s
rule_files:
  - $source/contrib/qorstats-rules.yml
scrape_configs:
  - job_name: qorstats
    static_configs:
      - targets: ['127.0.0.1:$port']
YAML
promtool check config "$work/prometheus.yml" >/dev/null || fail "the test's config does not check"
api=
for attempt in 1 2 3 4 5; do
  web=$((20000 + (RANDOM % 30000)))
  prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
    --web.listen-address="127.0.0.1:$web" >"$work/prometheus.log" 2>&1 &
  prom_pid=$!
  if within 20 curl -sf "http://127.0.0.1:$web/-/ready" -o /dev/null; then
    pids+=("$prom_pid")
    api=http://127.0.0.1:$web/api/v1
    break
  fi
  kill "$prom_pid" 2>/dev/null || true
  wait "$prom_pid" 2>/dev/null || true
done
[ -n "$api" ] || fail "prometheus did not start"

# The first value of an instant query, empty for none.
query() { curl -sf "$api/query" --data-urlencode "query=$1" | jq -r '.data.result[0].value[1] // empty'; }
positive() { local v; v=$(query "$1"); [ -n "$v" ] && awk -v v="$v" 'BEGIN { exit !(v > 0) }'; }
is() { [ "$(query "$1")" = "$2" ]; }

within 30 is 'qor_driver_up' 1 || fail "prometheus never stored qor_driver_up 1"
counter='qor_iso_in_packets_received_total{stream="0"}'
agrees() {
  local served stored
  served=$(curl -sf "$endpoint" | grep "^qor_iso_in_packets_received_total{.*stream=\"0\"" | awk '{ print $NF }')
  stored=$(query "$counter")
  echo "  $counter: qorpoll $served, prometheus ${stored:-none}"
  [ -n "$served" ] && [ "$served" = "$stored" ]
}
within 20 agrees || fail "prometheus does not hold the value qorpoll serves"
within 30 positive 'sum(rate(qor_errors_total[20s]))' || fail "the error counters' rate is not positive"
within 30 positive 'count(ALERTS{alertname="QorErrorCounterRising",alertstate="firing"})' ||
  fail "QorErrorCounterRising did not fire"
echo "  rate positive, QorErrorCounterRising firing"

echo "== the simulator stops"
kill "$simd_pid"
within 30 is 'qor_driver_up' 0 || fail "qor_driver_up did not go to 0"
curl -sf "$endpoint" | grep -q '^qor_driver_up 0$' || fail "the endpoint stopped answering"
is 'up{job="qorstats"}' 1 || fail "prometheus lost the endpoint"
echo "prometheus: 1 passed, 0 failed"
