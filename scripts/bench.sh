#!/usr/bin/env bash
# Builds the benchmarks and prints every figure the README quotes: decoder throughput, what the
# exchange trace costs the GUI thread, line fidelity on a pseudo-terminal against tranzit-sim
# without and with the trace, reads on a silent gateway, and the idle CPU and memory of the
# running station (under Xvfb). Takes about ten minutes; nothing here is a pass/fail test.
#
#   bash scripts/bench.sh               # LINE_SECONDS=150 by default: one burst of loop parameters
#   LINE_SECONDS=40 bash scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

line_seconds=${LINE_SECONDS:-150}
idle_seconds=${IDLE_SECONDS:-60}
display=${BENCH_DISPLAY:-:108}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATION_BENCH=ON >/dev/null
ninja -C build -j2 decoder_bench trace_bench line_fidelity remikont-station tranzit-sim >/dev/null

echo "== machine"
echo "$(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p'), $(uname -sr)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== decoder throughput (Google Benchmark)"
build/bench/decoder_bench --benchmark_min_time=1 2>/dev/null

echo
echo "== exchange trace: time on the GUI thread per exchange (Google Benchmark)"
build/bench/trace_bench 2>/dev/null

echo
echo "== line fidelity, no trace file (${line_seconds} s of polling after discovery)"
build/bench/line_fidelity --seconds "$line_seconds" 2>/dev/null

echo
echo "== line fidelity, with the trace file"
trace_file=$(mktemp /tmp/bench-trace.XXXXXX)
build/bench/line_fidelity --seconds "$line_seconds" --trace "$trace_file" 2>/dev/null
echo "trace file: $(wc -l <"$trace_file") lines, $(wc -c <"$trace_file") bytes"
rm -f "$trace_file"

echo
echo "== silent gateway"
build/bench/line_fidelity --silent-reads 250 2>/dev/null

echo
echo "== idle station: remikont-station --simulate under Xvfb, ${idle_seconds} s after the main window shows"
xvfb_pid=""
station_pid=""
cleanup() {
  for pid in $station_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
DISPLAY=$display build/src/remikont-station --simulate >/dev/null 2>&1 &
station_pid=$!

wait_window() {  # a window title (regular expression), seconds
  for _ in $(seq 1 $(($2 * 5))); do
    w=$(DISPLAY=$display xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    sleep 0.2
  done
  echo "bench: no window '$1' after $2 s" >&2
  return 1
}
box=$(wait_window "расслабтесь" 30)
DISPLAY=$display xdotool windowfocus --sync "$box" key Return
wait_window "Тест контроллеров Ремиконт" 60 >/dev/null
sleep 5

ticks() { awk '{ split($0, a, ") "); split(a[2], f, " "); print f[12] + f[13] }' "/proc/$station_pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
start=$(date +%s.%N)
sleep "$idle_seconds"
t1=$(ticks)
end=$(date +%s.%N)
awk -v t0="$t0" -v t1="$t1" -v hz="$hz" -v s="$start" -v e="$end" 'BEGIN {
  printf "CPU: %.2f %% of one core over %.1f s (%d ticks at %d Hz)\n", (t1 - t0) / hz / (e - s) * 100, e - s, t1 - t0, hz
}'
grep -E '^(VmRSS|VmHWM)' "/proc/$station_pid/status" | sed 's/^VmRSS/resident now/; s/^VmHWM/resident peak/'
