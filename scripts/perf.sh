#!/usr/bin/env bash
# Measures the optimised halomark program on a private desktop (scripts/xvfb-desktop.sh with
# picom) and prints markdown tables, one column per run and the median of the runs, to standard
# output and to a file:
#   - idle CPU of halomark left alone with fresh settings (the veil up on an active xterm), of
#     an idle X client and of a bare 50 Hz poller, with the X server's and picom's CPU over the
#     same windows and over a window with none of them;
#   - how long after the release of Super the ring's window is mapped and first painted;
#   - how long after an activation request the veil is repainted over the new active window;
#   - frames of the ring and of the selection fade, and the dropped ones at 60 Hz;
#   - halomark's RSS and X resources before and after many taps of Super.
#
#   scripts/perf.sh [REPORT.md]      (default: build/perf/report.md)
#
# Settings through the environment: RUNS (3), IDLE_SECONDS (30), SETTLE_SECONDS (5),
# RING_TAPS (20), VEIL_SWITCHES (20), FRAME_REPEATS (3), GROWTH_TAPS (1000), XTERMS (2: the
# xterms open while measuring, the desktop's own two and more started here).
#
# PROGRAMS (label=path pairs, default "halomark=build/release/halomark") are the programs
# measured; with more than one, they take turns within each run, so that each is measured under
# the same load, and the report has one set of tables per program.
#
# MODE=idle measures only the idle CPU of halomark and of the X server, for each program of
# PROGRAMS with each number of xterms of XTERMS (a list, such as "2 100"), and prints one table
# of the medians.
#
# Progress goes to standard error.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
work=$repo/build/perf
report=${1:-$work/report.md}
runs=${RUNS:-3}
idle_seconds=${IDLE_SECONDS:-30}
settle_seconds=${SETTLE_SECONDS:-5}
ring_taps=${RING_TAPS:-20}
veil_switches=${VEIL_SWITCHES:-20}
frame_repeats=${FRAME_REPEATS:-3}
growth_taps=${GROWTH_TAPS:-1000}
mode=${MODE:-full}
xterm_counts=${XTERMS:-2}
programs=${PROGRAMS:-halomark=$repo/build/release/halomark}

export HALOMARK_DESKTOP_STATE=$work/desktop
log() { echo "perf: $*" >&2; }

scripts/install-deps.sh >&2
cmake --preset release -DHALOMARK_BUILD_DESKTOP=ON >&2
cmake --build --preset release -j2 --target halomark halomark-perf >&2
program=$repo/build/release/halomark
perf=$repo/build/release/halomark-perf

mkdir -p "$work"
results=$work/results.txt
: >"$results"

# Processes this script started, stopped by pid when it ends however it ends.
helper_pid=
halomark_pid=
config=
xterm_pids=()
stop_pid() {
    local pid=$1
    [[ -n $pid ]] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        local deadline=$((SECONDS + 5))
        while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}
cleanup() {
    close_xterms 2
    stop_pid "$helper_pid"
    stop_pid "$halomark_pid"
    [[ -z $config ]] || rm -rf "$config"
    scripts/xvfb-desktop.sh stop || true
}

# The desktop has two xterms of its own; more are started (and stopped) to reach a number.
open_xterms() {
    local wanted=$1 index
    for ((index = ${#xterm_pids[@]} + 2; index < wanted; index++)); do
        xterm -T "halomark-perf-$index" \
            -geometry "80x24+$((40 + (index % 40) * 50))+$((30 + (index % 12) * 40))" \
            -e sleep 100000 </dev/null >/dev/null 2>&1 &
        xterm_pids+=($!)
    done
    local deadline=$((SECONDS + 120))
    until (($(xdotool search --onlyvisible --name '^halomark-perf-' 2>/dev/null | wc -l) >=
        wanted - 2)); do
        if ((SECONDS >= deadline)); then
            log "the xterms did not all appear"
            return 1
        fi
        sleep 0.5
    done
}
close_xterms() {
    local wanted=$1
    while ((${#xterm_pids[@]} + 2 > wanted && ${#xterm_pids[@]} > 0)); do
        stop_pid "${xterm_pids[-1]}"
        unset 'xterm_pids[-1]'
    done
}
trap cleanup EXIT

scripts/xvfb-desktop.sh start
scripts/xvfb-desktop.sh compositor-start
set -a
# shellcheck disable=SC1091
source "$HALOMARK_DESKTOP_STATE/env"
set +a
read -r server_pid _ <"$HALOMARK_DESKTOP_STATE/xvfb.pid"
read -r compositor_pid _ <"$HALOMARK_DESKTOP_STATE/picom.pid"
# The desktop's own start-up work is over before the first window.
sleep "$settle_seconds"

# halomark as a person starts it for the first time: a settings folder of its own, English, no
# session bus (its icon docks in tint2's tray through the X protocol).
start_halomark() {
    local program=${1:-$program}
    xdotool windowactivate --sync "$HALOMARK_XTERM_LEFT" >/dev/null 2>&1 || true
    config=$(mktemp -d "$work/config.XXXXXX")
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb LANG=en_US.UTF-8 LANGUAGE=en LC_ALL=en_US.UTF-8 \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$config/no-session-bus" \
        "$program" </dev/null >"$config/halomark.log" 2>&1 &
    halomark_pid=$!
    local deadline=$((SECONDS + 15))
    until "$perf" resources --pid "$halomark_pid" >/dev/null 2>&1; do
        if ! kill -0 "$halomark_pid" 2>/dev/null || ((SECONDS >= deadline)); then
            log "halomark did not come up:"
            cat "$config/halomark.log" >&2
            return 1
        fi
        sleep 0.2
    done
    sleep "$settle_seconds"
}
stop_halomark() {
    stop_pid "$halomark_pid"
    halomark_pid=
    rm -rf "$config"
    config=
}

# Runs a measurement and keeps its result line with the run's number.
measure() {
    local run=$1
    shift
    local line
    if ! line=$("$perf" "$@"); then
        log "run $run: $1 failed${line:+ ($line)}"
    fi
    if [[ -n $line ]]; then
        log "run $run: $line"
        echo "$line run=$run" >>"$results"
    fi
}

# The idle cost of each program with each number of xterms, the programs taking turns.
if [[ $mode == idle ]]; then
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    summary=$work/idle-summary.md
    {
        echo "| program | xterms | halomark CPU %, runs | median | X server extra %, runs | median |"
        echo "|---|---:|---|---:|---|---:|"
    } >"$summary"
    for count in $xterm_counts; do
        close_xterms "$count"
        open_xterms "$count"
        sleep "$settle_seconds"
        for ((run = 1; run <= runs; run++)); do
            log "$count xterms: run $run of $runs"
            idle=(--server-pid "$server_pid" --compositor-pid "$compositor_pid" --seconds "$idle_seconds")
            baseline=$("$perf" idle-cpu "${idle[@]}")
            for entry in $programs; do
                label=${entry%%=*}
                echo "$baseline run=$run" >>"$work/idle-$label-$count.txt"
                start_halomark "${entry#*=}"
                line=$("$perf" idle-cpu --pid "$halomark_pid" --subject halomark "${idle[@]}")
                log "$label, $count xterms, run $run: $line"
                echo "$line run=$run" >>"$work/idle-$label-$count.txt"
                stop_halomark
            done
        done
        for entry in $programs; do
            label=${entry%%=*}
            table=$("$perf" report "$work/idle-$label-$count.txt")
            row() { grep -F "| halomark: $1 |" <<<"$table" | head -n 1 | tr -d ' ' | cut -d'|' -f3-; }
            own=$(row "its own CPU %")
            extra=$(row "X server extra %")
            echo "| $label | $count | $(cut -d'|' -f1-$((runs)) <<<"$own" | sed 's/|/, /g') | $(cut -d'|' -f$((runs + 1)) <<<"$own") | $(cut -d'|' -f1-$((runs)) <<<"$extra" | sed 's/|/, /g') | $(cut -d'|' -f$((runs + 1)) <<<"$extra") |" >>"$summary"
            rm -f "$work/idle-$label-$count.txt"
        done
    done
    {
        echo "## Idle cost by the number of windows, measured $(date -u '+%Y-%m-%d %H:%M UTC') at $(git rev-parse --short HEAD)"
        echo
        echo "- Machine: $(nproc) cores; load average (1, 5, 15 min) before: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
        echo "- $runs runs; idle windows of $idle_seconds s; programs: $programs"
        echo
        cat "$summary"
    } >"$report"
    cat "$report"
    exit 0
fi

open_xterms "$xterm_counts"
# Each program's result lines; those of the windows without halomark go to every program's.
labels=()
for entry in $programs; do
    labels+=("${entry%%=*}")
    : >"$work/results-${entry%%=*}.txt"
done
shared() {
    local label
    for label in "${labels[@]}"; do
        cat "$results" >>"$work/results-$label.txt"
    done
    : >"$results"
}
keep() {
    cat "$results" >>"$work/results-$1.txt"
    : >"$results"
}
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for ((run = 1; run <= runs; run++)); do
    log "run $run of $runs"
    idle=(--server-pid "$server_pid" --compositor-pid "$compositor_pid" --seconds "$idle_seconds")
    measure "$run" idle-cpu "${idle[@]}"
    shared

    for entry in $programs; do
        start_halomark "${entry#*=}"
        measure "$run" idle-cpu --pid "$halomark_pid" --subject halomark "${idle[@]}"
        stop_halomark
        keep "${entry%%=*}"
    done

    "$perf" idle-client >/dev/null &
    helper_pid=$!
    sleep 1
    measure "$run" idle-cpu --pid "$helper_pid" --subject idle-client "${idle[@]}"
    stop_pid "$helper_pid"

    "$perf" poller --hz 50 >/dev/null &
    helper_pid=$!
    sleep 1
    measure "$run" idle-cpu --pid "$helper_pid" --subject poller "${idle[@]}"
    stop_pid "$helper_pid"
    helper_pid=
    shared

    for entry in $programs; do
        start_halomark "${entry#*=}"
        measure "$run" ring --pid "$halomark_pid" --taps "$ring_taps"
        measure "$run" veil --pid "$halomark_pid" --switches "$veil_switches"
        measure "$run" frames --pid "$halomark_pid" --repeats "$frame_repeats"
        stop_halomark

        # Growth from a fresh start, so that the measurements above leave nothing behind.
        start_halomark "${entry#*=}"
        measure "$run" growth --pid "$halomark_pid" --server-pid "$server_pid" --taps "$growth_taps"
        stop_halomark
        keep "${entry%%=*}"
    done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

{
    echo "## Measured $(date -u '+%Y-%m-%d %H:%M UTC') at $(git rev-parse --short HEAD)"
    echo
    echo "- Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
    echo "- Load average (1, 5, 15 min) before: $load_before; after: $load_after"
    echo "- $runs runs; idle windows of $idle_seconds s; $ring_taps ring taps; $veil_switches" \
        "veil switches; $frame_repeats rings and selections per run; $growth_taps taps for growth"
    echo "- Programs, taking turns within each run: $programs"
    for label in "${labels[@]}"; do
        if ((${#labels[@]} > 1)); then
            echo
            echo "### $label"
        fi
        echo
        "$perf" report "$work/results-$label.txt"
    done
} >"$report"
cat "$report"
log "report in $report; result lines in $work/results-*.txt"
