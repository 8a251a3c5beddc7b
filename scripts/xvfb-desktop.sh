#!/usr/bin/env bash
# A private X desktop for the adapter and end-to-end tests: Xvfb with two monitors side by
# side (LEFT at 0,0 and RIGHT at 1280,0, each 1280x800), openbox (dragging a title bar moves
# the window), a tint2 panel 30 pixels high along the bottom of the left monitor (with a
# strut), one xterm on each monitor, and a session bus of its own.
#
#   xvfb-desktop.sh start              start the desktop (stopping one left over first)
#   xvfb-desktop.sh stop               stop every process it started, newest first, by pid
#   xvfb-desktop.sh compositor-start   start picom and wait for its window
#   xvfb-desktop.sh compositor-stop    stop picom
#   xvfb-desktop.sh run COMMAND...     start, run COMMAND in the desktop's environment, stop
#
# The state folder is $HALOMARK_DESKTOP_STATE (default: build/xvfb-desktop in the repository).
# It holds `env` (DISPLAY, XDG_RUNTIME_DIR and the xterms' window ids as NAME=value lines, to
# be sourced or parsed), one NAME.pid file per process, and each process's log. The packages
# are installed when missing.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
state=${HALOMARK_DESKTOP_STATE:-$repo/build/xvfb-desktop}

monitor_width=1280
monitor_height=800
panel_height=30

log() { echo "xvfb-desktop: $*" >&2; }
# shellcheck source=scripts/desktop-processes.sh
source "$(dirname "${BASH_SOURCE[0]}")/desktop-processes.sh"

# Starts a process in its own session with its output in the state folder and records its
# pid with the name of its executable, so that stop never signals a recycled pid.
launch() {
    local name=$1
    shift
    setsid "$@" </dev/null >"$state/$name.log" 2>&1 &
    record_process "$name" $! "$1"
}

stop_all() {
    [[ -d $state ]] || return 0
    stop_recorded
    rm -f "$state/env" "$state/display"
}

load_env() {
    if [[ ! -f $state/env ]]; then
        log "no desktop is running (no $state/env)"
        return 1
    fi
    set -a
    # shellcheck disable=SC1091
    source "$state/env"
    set +a
}

client_has_strut() {
    local window
    for window in $(xdotool search --class tint2 2>/dev/null); do
        xprop -id "$window" _NET_WM_STRUT_PARTIAL | grep -q '= '"0, 0, 0, $panel_height" && return 0
    done
    return 1
}

window_named() {
    xdotool search --name "^$1\$" 2>/dev/null | head -n 1 | grep -q .
}

write_configs() {
    cat >"$state/openbox-rc.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse>
    <dragThreshold>3</dragThreshold>
    <!-- A window is moved by dragging its title bar, as on any desktop; nothing else is bound. -->
    <context name="Titlebar">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
    </context>
  </mouse>
</openbox_config>
EOF
    # The panel is as wide as the left monitor and stays on the first monitor when the
    # monitors are split, so only the left monitor loses space to it.
    cat >"$state/tint2rc" <<EOF
panel_items = S
panel_monitor = 1
panel_position = bottom left horizontal
panel_size = $monitor_width $panel_height
strut_policy = follow_size
panel_dock = 0
wm_menu = 0
systray_icon_size = 24
EOF
}

start() {
    stop_all
    "$repo/scripts/install-deps.sh"
    mkdir -p "$state/runtime"
    chmod 700 "$state/runtime"
    : >"$state/order"
    write_configs
    trap 'log "start failed; stopping what was started"; stop_all' ERR

    # Xvfb picks a free display number and writes it to fd 3 once it accepts clients.
    local root_width=$((2 * monitor_width))
    exec 3>"$state/display"
    launch xvfb Xvfb -displayfd 3 -screen 0 "${root_width}x${monitor_height}x24" -nolisten tcp \
        -noreset +extension Composite +extension RANDR
    exec 3>&-
    wait_for 10 "Xvfb" test -s "$state/display"
    export DISPLAY=":$(head -n 1 "$state/display")"
    export XDG_RUNTIME_DIR="$state/runtime"

    # The desktop's own session bus, where the program offers its commands.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$state/runtime/bus"
    launch dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
    wait_for 10 "the session bus" test -S "$state/runtime/bus"

    launch openbox openbox --sm-disable --config-file "$state/openbox-rc.xml"
    wait_for 10 "openbox" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

    launch tint2 tint2 -c "$state/tint2rc"
    wait_for 10 "the tint2 panel and its strut" client_has_strut

    xrandr --setmonitor LEFT "$monitor_width/338x$monitor_height/211+0+0" screen >/dev/null
    xrandr --setmonitor RIGHT "$monitor_width/338x$monitor_height/211+$monitor_width+0" none \
        >/dev/null

    launch xterm-left xterm -T halomark-left -geometry 80x24+100+100 -e sleep 86400
    launch xterm-right xterm -T halomark-right -geometry "80x24+$((monitor_width + 100))+100" \
        -e sleep 86400
    wait_for 10 "the left xterm" window_named halomark-left
    wait_for 10 "the right xterm" window_named halomark-right
    local left right
    left=$(xdotool search --name '^halomark-left$' | head -n 1)
    right=$(xdotool search --name '^halomark-right$' | head -n 1)
    trap - ERR

    cat >"$state/env" <<EOF
DISPLAY=$DISPLAY
XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR
DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
HALOMARK_XTERM_LEFT=$left
HALOMARK_XTERM_RIGHT=$right
EOF
    log "desktop ready on $DISPLAY (state in $state)"
}

compositor_start() {
    load_env
    if [[ -f $state/picom.pid ]]; then
        stop_process picom
    fi
    launch picom picom --backend xrender --config /dev/null --no-vsync
    # picom names the window it owns the compositing selection with.
    wait_for 10 "picom" window_named picom
}

case ${1:-} in
start)
    start
    ;;
stop)
    stop_all
    ;;
compositor-start)
    compositor_start
    ;;
compositor-stop)
    stop_process picom
    ;;
run)
    shift
    start
    trap stop_all EXIT
    load_env
    "$@"
    ;;
*)
    echo "usage: $0 start|stop|compositor-start|compositor-stop|run COMMAND..." >&2
    exit 2
    ;;
esac
