# shellcheck shell=bash
# shellcheck disable=SC2154 # `state` is set by the script that sources this file.
# Process keeping shared by the private test desktops (xvfb-desktop.sh, sway-desktop.sh), which
# source this file after setting `state` (their state folder) and defining `log`. Each started
# process has a NAME.pid file holding its pid and the name of its executable, and `order` lists
# the names in the order they started.

# Waits up to $1 seconds for the command to succeed.
wait_for() {
    local timeout=$1 description=$2
    shift 2
    local deadline=$((SECONDS + timeout))
    until "$@" >/dev/null 2>&1; do
        if ((SECONDS >= deadline)); then
            log "timed out waiting for $description"
            return 1
        fi
        sleep 0.05
    done
}

# Records a started process, so that stop never signals a recycled pid.
record_process() {
    local name=$1 pid=$2 executable=$3
    echo "$pid $(basename "$executable")" >"$state/$name.pid"
    grep -qx "$name" "$state/order" 2>/dev/null || echo "$name" >>"$state/order"
}

is_running() {
    local pid=$1 command=$2
    [[ -r /proc/$pid/stat ]] || return 1
    # A zombie has exited already; only its parent's wait is missing.
    [[ $(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) != Z ]] || return 1
    [[ $(cat "/proc/$pid/comm" 2>/dev/null) == "${command:0:15}" ]]
}

stop_process() {
    local name=$1 file="$state/$1.pid"
    [[ -f $file ]] || return 0
    local pid command
    read -r pid command <"$file"
    if is_running "$pid" "$command"; then
        kill -TERM "$pid" 2>/dev/null || true
        local deadline=$((SECONDS + 3))
        while is_running "$pid" "$command" && ((SECONDS < deadline)); do
            sleep 0.05
        done
        if is_running "$pid" "$command"; then
            log "$name ($pid) ignored TERM; killing it"
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    rm -f "$file"
}

# Stops every recorded process, the last started first.
stop_recorded() {
    [[ -f $state/order ]] || return 0
    local names name
    mapfile -t names < <(tac "$state/order")
    for name in "${names[@]}"; do
        stop_process "$name"
    done
    rm -f "$state/order"
}
