#!/usr/bin/env bash
# A private Wayland desktop for the adapter and end-to-end tests: a headless sway (pixman
# renderer, no input devices) with two 1280x800 outputs side by side (HEADLESS-1 at 0,0 and
# HEADLESS-2 at 1280,0), a swaybar with a tray (StatusNotifierItem) along the bottom of the
# left output, one foot terminal on each output (workspace 1 on the left, 2 on the right),
# and a session bus of its own, started before sway so that the bar's tray finds it.
#
#   sway-desktop.sh start            start the desktop (stopping one left over first)
#   sway-desktop.sh stop             stop every process it started, newest first, by pid
#   sway-desktop.sh exec COMMAND...  run COMMAND in the desktop's environment as its user
#   sway-desktop.sh run COMMAND...   start, run COMMAND as with exec, stop
#
# sway refuses to run as root. Run as root, the script runs sway and every client as an
# unprivileged user ($HALOMARK_SWAY_USER, default nobody, with its primary group and no
# supplementary groups); run as anyone else, as that user. That user owns the desktop's HOME
# and XDG_RUNTIME_DIR, and must be able to read and execute the programs tested against it.
#
# The state folder is $HALOMARK_SWAY_STATE (default: build/sway-desktop in the repository).
# It holds `env` (NAME=value lines, to be sourced or parsed: WAYLAND_DISPLAY, XDG_RUNTIME_DIR,
# SWAYSOCK, DBUS_SESSION_BUS_ADDRESS, HOME, the user to run clients as and its uid and gid,
# and the sway container ids of the two terminals), one NAME.pid file per process, each
# process's log, and the sway config. The packages are installed when missing.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
state=${HALOMARK_SWAY_STATE:-$repo/build/sway-desktop}

output_width=1280
output_height=800

log() { echo "sway-desktop: $*" >&2; }
# shellcheck source=scripts/desktop-processes.sh
source "$(dirname "${BASH_SOURCE[0]}")/desktop-processes.sh"

# The user the compositor and its clients run as, and the command prefix that switches to it.
if [[ $(id -u) -eq 0 ]]; then
    run_user=${HALOMARK_SWAY_USER:-nobody}
    run_group=$(id -gn "$run_user")
    as_user=(setpriv --reuid="$run_user" --regid="$run_group" --clear-groups)
else
    run_user=$(id -un)
    run_group=$(id -gn)
    as_user=()
fi

# The environment of every process of the desktop: nothing inherited but PATH and the locale,
# so that a caller's DISPLAY, WAYLAND_DISPLAY or session bus never leaks in.
desktop_env() {
    local -a values=(
        "PATH=$PATH" "LANG=${LANG:-C.UTF-8}" "HOME=$state/home" "USER=$run_user" "SHELL=/bin/sh"
        "XDG_RUNTIME_DIR=$state/runtime" "DBUS_SESSION_BUS_ADDRESS=unix:path=$state/runtime/bus"
    )
    [[ -n ${WAYLAND_DISPLAY_VALUE:-} ]] && values+=("WAYLAND_DISPLAY=$WAYLAND_DISPLAY_VALUE")
    [[ -n ${SWAYSOCK_VALUE:-} ]] && values+=("SWAYSOCK=$SWAYSOCK_VALUE")
    printf '%s\n' "${values[@]}"
}

# Runs a command as the desktop's user in the desktop's environment.
as_desktop_user() {
    local -a environment
    mapfile -t environment < <(desktop_env)
    "${as_user[@]}" env -i "${environment[@]}" "$@"
}

# Starts a process in its own session as the desktop's user, with its output in the state
# folder, and records its pid with the name of its executable, so that stop never signals a
# recycled pid. setsid, setpriv and env each replace themselves, so the pid is the program's.
launch() {
    local name=$1
    shift
    local -a environment
    mapfile -t environment < <(desktop_env)
    setsid "${as_user[@]}" env -i "${environment[@]}" "${EXTRA_ENV[@]}" "$@" \
        </dev/null >"$state/$name.log" 2>&1 &
    record_process "$name" $! "$1"
}
EXTRA_ENV=()

# sway starts swaybar and swaybg itself (detached, so not as its children). They leave with
# it; one that outlived it is found by the desktop's runtime folder in its environment.
stop_strays() {
    local file pid command
    while IFS= read -r file; do
        pid=${file#/proc/}
        pid=${pid%/environ}
        command=$(cat "/proc/$pid/comm" 2>/dev/null) || continue
        case $command in
        swaybar | swaybg | sway | foot | dbus-daemon)
            log "stopping $command ($pid), left over"
            kill -TERM "$pid" 2>/dev/null || true
            ;;
        esac
    done < <(grep -lzxF "XDG_RUNTIME_DIR=$state/runtime" /proc/[0-9]*/environ 2>/dev/null)
}

stop_all() {
    [[ -d $state ]] || return 0
    stop_recorded
    stop_strays
    rm -f "$state/env"
}

load_env() {
    if [[ ! -f $state/env ]]; then
        log "no desktop is running (no $state/env)"
        return 1
    fi
    local line
    while IFS= read -r line; do
        case $line in
        WAYLAND_DISPLAY=*) WAYLAND_DISPLAY_VALUE=${line#*=} ;;
        SWAYSOCK=*) SWAYSOCK_VALUE=${line#*=} ;;
        esac
    done <"$state/env"
}

swaymsg_() { as_desktop_user swaymsg "$@"; }

outputs_ready() {
    [[ $(swaymsg_ -r -t get_outputs | jq '[.[] | select(.active)] | length') == 2 ]]
}

# The container id of the window with the given app_id, if it is mapped.
window_id() {
    local id
    id=$(swaymsg_ -r -t get_tree |
        jq -r --arg app "$1" '.. | objects | select(.app_id? == $app) | .id' | head -n 1)
    [[ -n $id ]] && echo "$id"
}

tray_ready() {
    as_desktop_user dbus-send --session --print-reply --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
        string:org.kde.StatusNotifierWatcher | grep -q 'boolean true'
}

write_config() {
    cat >"$state/config" <<EOF
# Written by scripts/sway-desktop.sh.
xwayland disable
font monospace 10
default_border normal 2
focus_follows_mouse no
output HEADLESS-1 mode ${output_width}x${output_height} position 0 0 scale 1
output HEADLESS-2 mode ${output_width}x${output_height} position ${output_width} 0 scale 1
output * background #202020 solid_color
workspace 1 output HEADLESS-1
workspace 2 output HEADLESS-2
assign [app_id="^halomark-left\$"] workspace 1
assign [app_id="^halomark-right\$"] workspace 2
bar {
    output HEADLESS-1
    position bottom
    status_command while true; do date +%H:%M; sleep 60; done
    tray_output *
}
EOF
}

start() {
    stop_all
    "$repo/scripts/install-deps.sh"
    mkdir -p "$state"
    rm -rf "${state:?}/runtime" "${state:?}/home"
    mkdir -p "$state/runtime" "$state/home"
    chmod 700 "$state/runtime" "$state/home"
    if [[ $(id -u) -eq 0 ]]; then
        chown "$run_user:$run_group" "$state/runtime" "$state/home"
    fi
    : >"$state/order"
    write_config
    trap 'log "start failed; stopping what was started"; stop_all' ERR

    launch dbus dbus-daemon --session --nofork --nopidfile \
        --address="unix:path=$state/runtime/bus"
    wait_for 10 "the session bus" test -S "$state/runtime/bus"

    EXTRA_ENV=(WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
        WLR_HEADLESS_OUTPUTS=2)
    launch sway sway -c "$state/config"
    EXTRA_ENV=()
    wait_for 10 "sway's IPC socket" compgen -G "$state/runtime/sway-ipc.*.sock"
    wait_for 10 "sway's Wayland socket" compgen -G "$state/runtime/wayland-*[0-9]"
    SWAYSOCK_VALUE=$(compgen -G "$state/runtime/sway-ipc.*.sock" | head -n 1)
    WAYLAND_DISPLAY_VALUE=$(basename "$(compgen -G "$state/runtime/wayland-*[0-9]" | head -n 1)")
    wait_for 10 "two outputs" outputs_ready
    wait_for 10 "the bar's tray" tray_ready

    # The terminals run no shell: the desktop's user may have none.
    launch foot-left foot --app-id=halomark-left --title=halomark-left sleep 86400
    launch foot-right foot --app-id=halomark-right --title=halomark-right sleep 86400
    wait_for 10 "the left terminal" window_id halomark-left
    wait_for 10 "the right terminal" window_id halomark-right
    local left right
    left=$(window_id halomark-left)
    right=$(window_id halomark-right)
    # Focus starts on the left output, as a person's session would.
    swaymsg_ "[con_id=$left] focus" >/dev/null
    trap - ERR

    cat >"$state/env" <<EOF
WAYLAND_DISPLAY=$WAYLAND_DISPLAY_VALUE
XDG_RUNTIME_DIR=$state/runtime
SWAYSOCK=$SWAYSOCK_VALUE
DBUS_SESSION_BUS_ADDRESS=unix:path=$state/runtime/bus
HOME=$state/home
HALOMARK_SWAY_USER=$run_user
HALOMARK_SWAY_UID=$(id -u "$run_user")
HALOMARK_SWAY_GID=$(getent group "$run_group" | cut -d: -f3)
HALOMARK_FOOT_LEFT=$left
HALOMARK_FOOT_RIGHT=$right
EOF
    log "desktop ready on $WAYLAND_DISPLAY_VALUE as $run_user (state in $state)"
}

case ${1:-} in
start)
    start
    ;;
stop)
    stop_all
    ;;
exec)
    shift
    load_env
    as_desktop_user "$@"
    ;;
run)
    shift
    start
    trap stop_all EXIT
    load_env
    as_desktop_user "$@"
    ;;
*)
    echo "usage: $0 start|stop|exec COMMAND...|run COMMAND..." >&2
    exit 2
    ;;
esac
