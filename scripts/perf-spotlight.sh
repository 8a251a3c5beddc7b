#!/usr/bin/env bash
# Measures the spotlight and the click pulses of the optimised halomark on a private desktop
# (scripts/xvfb-desktop.sh with picom) and prints one line per measurement:
#   - halomark idle with both off, for comparison (the highlight is switched off throughout, so
#     that no veil window is counted);
#   - the spotlight on, the pointer still;
#   - the spotlight on, the pointer moving in a circle (radius 200 px, one turn per 2 s) for
#     SECONDS_PER_RUN: halomark's CPU, the spotlight windows' frames per second, dropped frames (an
#     interval over 25 ms between repaints while the pointer moves) and the damaged pixels per
#     frame (a full monitor is 1,024,000);
#   - the same with the click pulses on too.
# The measuring program is scripts/perf-spotlight.c, built here.
#
#   scripts/perf-spotlight.sh          (SECONDS_PER_RUN=10 RUNS=3 by default)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
work=$repo/build/perf-spotlight
seconds=${SECONDS_PER_RUN:-10}
runs=${RUNS:-3}
export HALOMARK_DESKTOP_STATE=$work/desktop
mkdir -p "$work"

cmake --preset release -DHALOMARK_BUILD_DESKTOP=ON >&2
cmake --build --preset release -j2 --target halomark >&2
program=$repo/build/release/halomark
measure=$work/perf-spotlight
cc -O2 -Wall -Wextra -o "$measure" scripts/perf-spotlight.c -lxcb -lxcb-damage -lxcb-xtest -lm

halomark_pid=
config=
cleanup() {
    if [[ -n $halomark_pid ]] && kill -0 "$halomark_pid" 2>/dev/null; then
        kill -TERM "$halomark_pid" 2>/dev/null || true
        wait "$halomark_pid" 2>/dev/null || true
    fi
    [[ -z $config ]] || rm -rf "$config"
    scripts/xvfb-desktop.sh stop || true
}
trap cleanup EXIT

scripts/xvfb-desktop.sh start >&2
scripts/xvfb-desktop.sh compositor-start >&2
set -a
# shellcheck disable=SC1091
source "$HALOMARK_DESKTOP_STATE/env"
set +a
sleep 3

config=$(mktemp -d "$work/config.XXXXXX")
XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb LANG=en_US.UTF-8 LANGUAGE=en LC_ALL=en_US.UTF-8 \
    "$program" </dev/null >"$config/halomark.log" 2>&1 &
halomark_pid=$!
until "$program" status >/dev/null 2>&1; do
    kill -0 "$halomark_pid" || { cat "$config/halomark.log" >&2; exit 1; }
    sleep 0.2
done
sleep 3

# CPU of the process alone over the seconds, as a percentage of one core.
idle_cpu() {
    local before after ticks
    before=$(awk '{print $14 + $15}' "/proc/$halomark_pid/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$halomark_pid/stat")
    ticks=$(getconf CLK_TCK)
    awk -v d=$((after - before)) -v t="$ticks" -v s="$seconds" \
        'BEGIN { printf "cpu_percent=%.2f\n", 100 * d / t / s }'
}

for ((run = 1; run <= runs; run++)); do
    "$program" highlight off && "$program" spotlight off && "$program" clicks off
    echo "run=$run both-off $(idle_cpu)"
    "$program" spotlight on
    sleep 1
    echo "run=$run spotlight-still $("$measure" "$halomark_pid" "$seconds" still)"
    echo "run=$run spotlight-moving $("$measure" "$halomark_pid" "$seconds")"
    "$program" clicks on
    sleep 1
    echo "run=$run spotlight-and-clicks-moving $("$measure" "$halomark_pid" "$seconds")"
done
