#!/usr/bin/env bash
# Shows Halomark at work without a screen of your own: plays a short scripted presentation on a
# private X desktop and keeps pictures of it.
#
#   demo.sh [--program PATH] [--output DIR] [--keep-frames]
#
#   --program PATH  the halomark program to show (default: build/release/halomark, built first
#                   when it is missing)
#   --output DIR    where the pictures go (default: a new folder build/demo/DATE_TIME)
#   --keep-frames   keeps every recorded frame, its index and the marked moments in DIR/frames
#
# It starts a desktop of its own (scripts/xvfb-desktop.sh with a fresh state folder, so any other
# desktop, such as the one the tests share, is left alone, and picom, so that the veil blends),
# puts two terminals with some text on it, one per monitor, and starts halomark with fresh
# settings. Then xdotool plays, as a person would:
#
#   01-tap.png           Super tapped alone: the ring shrinks onto the pointer
#   02-right-active.png  the right terminal activated: the veil's hole moves there
#   03-left-active.png   the left terminal activated again: the hole comes back
#   04-drag.png          the left terminal dragged by its title bar: the veil steps aside
#   05-dropped.png       the button released: the veil is back, its hole at the new place
#   06-selection.png     Super held and a left-drag: the rectangle
#   07-fading.png        Super and the button released: the rectangle fades
#   demo.gif             the whole presentation at half size, in real time
#   pictures.txt         each picture with the frame it comes from and the pointer's position
#
# The screen is recorded all along by a small python3 program that grabs the root window
# through shared memory up to 12 times a second, each frame listed with its time and the
# pointer's position; the pictures are picked from these frames afterwards. Measured on a busy
# two-core machine: `import -window root` takes 0.3 to 0.45 s per PNG, and `xwd -root` reads
# windows of another visual (the overlays) one by one, unblended, so neither shows the ring's
# shrink. X screenshots leave the pointer out, so a small arrow is drawn where it was. Every
# wait polls for what it waits for (a window mapped, an overlay shown or gone) against a
# deadline.
#
# It prints the output folder's path. Everything it started (the desktop, the terminals,
# halomark, the recording) is stopped at the end, also when something fails or on Ctrl+C. The
# exit status is 0 only when every picture and the GIF were written.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
export LC_ALL=C # decimal points in the times below

usage() { sed -n '5,11p' "$0" | sed 's/^# \{0,1\}//'; }
log() { echo "demo: [${SECONDS}s] $*" >&2; }
fail() {
    log "$*"
    exit 1
}

program=""
output=""
keep_frames=false
while (($# > 0)); do
    case $1 in
    --program)
        program=${2:?--program needs a path}
        shift 2
        ;;
    --program=*)
        program=${1#*=}
        shift
        ;;
    --output)
        output=${2:?--output needs a folder}
        shift 2
        ;;
    --output=*)
        output=${1#*=}
        shift
        ;;
    --keep-frames)
        keep_frames=true
        shift
        ;;
    -h | --help)
        usage
        exit 0
        ;;
    *)
        echo "demo: unknown option $1" >&2
        usage >&2
        exit 2
        ;;
    esac
done

"$repo/scripts/install-deps.sh"
if [[ -z $program ]]; then
    program=$repo/build/release/halomark
    if [[ ! -x $program ]]; then
        log "building the release program"
        (cd "$repo" && cmake --preset release -DHALOMARK_BUILD_DESKTOP=ON >/dev/null &&
            cmake --build --preset release -j "$(nproc)" --target halomark) >&2
    fi
fi
[[ -x $program ]] || fail "no program at $program"
program=$(realpath "$program")
[[ -n $output ]] || output=$repo/build/demo/$(date +%Y-%m-%d_%H-%M-%S)
mkdir -p "$output"
output=$(cd "$output" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/halomark-demo-XXXXXX")
frames=$work/frames
mkdir -p "$frames"
# Never the state folder of a desktop someone else uses: starting would stop that one.
export HALOMARK_DESKTOP_STATE=$work/desktop
desktop=$repo/scripts/xvfb-desktop.sh
desktop_started=false
on_desktop=false # DISPLAY is the private desktop's
started=() # pids of the programs started here, oldest first
recorder=""

# Stops a program started here: TERM, up to three seconds, then KILL.
stop_pid() {
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    local deadline=$((SECONDS + 3))
    while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    rm -f "$work/recording"
    if [[ -n $recorder ]]; then
        # The recording ends after the frame it is taking; only a stuck one is stopped.
        local deadline=$((SECONDS + 5))
        while kill -0 "$recorder" 2>/dev/null && ((SECONDS < deadline)); do
            sleep 0.05
        done
        stop_pid "$recorder"
    fi
    if $on_desktop; then
        # Keys or buttons still held would outlive a failure only on this desktop; let go anyway.
        xdotool keyup Super_L mouseup 1 >/dev/null 2>&1 || true
    fi
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        stop_pid "${started[i]}"
    done
    if $desktop_started; then
        "$desktop" stop || true
    fi
    rm -rf "$work"
    if ((status != 0)); then
        log "failed (status $status); pictures written so far are in $output"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Polls every 50 ms until the command succeeds; fails the demo after the timeout (seconds), or
# at once when halomark has ended.
halomark=""
wait_for() {
    local timeout=$1 description=$2
    shift 2
    local deadline=$((SECONDS + timeout))
    until "$@" >/dev/null 2>&1; do
        [[ -z $halomark ]] || halomark_runs
        ((SECONDS < deadline)) || fail "timed out waiting for $description"
        sleep 0.05
    done
}

# ---------------------------------------------------------------------------------------------
# The desktop and its windows.

desktop_started=true
log "starting the desktop"
"$desktop" start
"$desktop" compositor-start
set -a
# shellcheck disable=SC1091
source "$HALOMARK_DESKTOP_STATE/env"
set +a
on_desktop=true

# The desktop's own terminals are blank; these two show text instead.
xdotool windowunmap --sync "$HALOMARK_XTERM_LEFT" windowunmap --sync "$HALOMARK_XTERM_RIGHT"

cat >"$work/agenda.txt" <<'EOF'
$ cat agenda.md
# Quarterly review

1. Where we stand
   - three releases shipped, no regressions
   - onboarding down from five days to two

2. What changed
   - build pipeline: 12 min -> 4 min
   - crash reports triaged within a day

3. Next quarter
   - offline mode
   - faster start-up
   - accessibility audit

$ 
EOF
cat >"$work/build.txt" <<'EOF'
$ make test
[ 14%] Building CXX object core/parser.cpp.o
[ 28%] Building CXX object core/layout.cpp.o
[ 42%] Building CXX object core/render.cpp.o
[ 57%] Linking CXX static library libcore.a
[ 71%] Building CXX object app/main.cpp.o
[ 85%] Linking CXX executable viewer
[100%] Built target viewer
Running tests...
    Start 1: parser ..........   Passed  0.12 sec
    Start 2: layout ..........   Passed  0.34 sec
    Start 3: render ..........   Passed  1.07 sec
    Start 4: viewer ..........   Passed  2.51 sec

100% tests passed, 0 tests failed out of 4
$ 
EOF

# Light text on dark ground: nothing on them is as white as the ring, even under the veil.
# shellcheck disable=SC2016 # the terminal's shell expands $1
start_terminal() {
    local title=$1 geometry=$2 background=$3 text=$4
    xterm -T "$title" -fa 'DejaVu Sans Mono' -fs 10 -bg "$background" -fg '#c8d0d8' \
        -cr '#c8d0d8' -geometry "$geometry" -e sh -c \
        'printf "%s" "$(cat "$1")"; exec sleep 86400' sh "$text" \
        </dev/null >"$work/$title.log" 2>&1 &
    started+=($!)
}
start_terminal agenda.md 64x20+140+110 '#1f2937' "$work/agenda.txt"
start_terminal build 64x20+1500+200 '#14302c' "$work/build.txt"
# A search walks the whole window tree and fails when a window goes while it walks (an X
# error), so it is tried again.
terminal_id() {
    local id
    for _ in 1 2 3 4 5; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        [[ -n $id ]] && echo "$id" && return 0
        sleep 0.2
    done
    return 1
}
wait_for 10 "the terminals" sh -c 'xdotool search --onlyvisible --name "^agenda.md\$" 2>/dev/null |
    grep -q . && xdotool search --onlyvisible --name "^build\$" 2>/dev/null | grep -q .'
left=$(terminal_id agenda.md)
right=$(terminal_id build)

# Prints "X Y WIDTH HEIGHT" of a window in root coordinates.
geometry_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}

active_is() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }

# Asks the window manager to activate the window until it is the active one.
activate() {
    local attempts=3
    while ((attempts-- > 0)); do
        xdotool windowactivate "$1" >/dev/null 2>&1 || true
        local deadline=$((SECONDS + 2))
        while ((SECONDS < deadline)); do
            active_is "$1" && return 0
            sleep 0.05
        done
    done
    fail "could not activate window $1"
}

# ---------------------------------------------------------------------------------------------
# Halomark and what it shows.

activate "$left"
read -r lx ly lw lh < <(geometry_of "$left")
xdotool mousemove $((lx + lw / 2)) $((ly + lh / 2))

mkdir -p "$work/config"
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb LANG=en_US.UTF-8 LANGUAGE=en \
    DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus "$program" \
    </dev/null >"$work/halomark.log" 2>&1 &
halomark=$!
started+=("$halomark")

# The overlays halomark shows, one "WIDTHxHEIGHT+X+Y" a line: its viewable windows as large
# as a monitor or a monitor's usable area (its tray icon is a small one).
overlays() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$halomark" 2>/dev/null); do
        geometry_of "$window"
    done | awk '$3 >= 1280 {print $3 "x" $4 "+" $1 "+" $2}'
}
overlay_shown() { overlays | grep -qx "$1"; }
overlay_gone() { ! overlay_shown "$1"; }
no_overlay() { [[ -z $(overlays) ]]; }
halomark_runs() {
    kill -0 "$halomark" 2>/dev/null || fail "halomark ended; its output: $(cat "$work/halomark.log")"
}

left_veil=1280x770+0+0   # the left monitor's usable area, above the panel
left_monitor=1280x800+0+0 # the ring's and the selection's panel
right_veil=1280x800+1280+0

log "starting halomark"
halomark_runs
wait_for 15 "halomark's veil around the active terminal" overlay_shown "$left_veil"

# ---------------------------------------------------------------------------------------------
# The recording: frame after frame of the whole screen, each listed in the index with the time
# its grab started, where the pointer was and the frame that holds its picture. One
# long-running process, since import spends most of its time starting up, and a plain
# GetImage of the root window, which xwd does not do when windows of other visuals are shown.
record() {
    python3 - "$frames" "$work/recording" <<'PYTHON'
import ctypes, hashlib, os, struct, sys, time, zlib

frames, flag = sys.argv[1], sys.argv[2]
x11 = ctypes.CDLL("libX11.so.6")
xext = ctypes.CDLL("libXext.so.6")
libc = ctypes.CDLL(None, use_errno=True)
p, c_int, c_uint, c_ulong = ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong


class XImage(ctypes.Structure):
    _fields_ = [(name, c_int) for name in ("width", "height", "xoffset", "format")] + [
        ("data", p)] + [(name, c_int) for name in (
            "byte_order", "bitmap_unit", "bitmap_bit_order", "bitmap_pad", "depth",
            "bytes_per_line", "bits_per_pixel")]


class XShmSegmentInfo(ctypes.Structure):
    _fields_ = [("shmseg", c_ulong), ("shmid", c_int), ("shmaddr", p), ("readOnly", c_int)]


def declare(library, name, result, *arguments):
    function = getattr(library, name)
    function.restype, function.argtypes = result, list(arguments)


declare(x11, "XOpenDisplay", p, ctypes.c_char_p)
declare(x11, "XDefaultScreen", c_int, p)
declare(x11, "XRootWindow", c_ulong, p, c_int)
declare(x11, "XDisplayWidth", c_int, p, c_int)
declare(x11, "XDisplayHeight", c_int, p, c_int)
declare(x11, "XDefaultVisual", p, p, c_int)
declare(x11, "XDefaultDepth", c_int, p, c_int)
declare(x11, "XGetImage", ctypes.POINTER(XImage), p, c_ulong, c_int, c_int, c_uint, c_uint,
        c_ulong, c_int)
declare(x11, "XQueryPointer", c_int, p, c_ulong, *[ctypes.POINTER(c_ulong)] * 2,
        *[ctypes.POINTER(c_int)] * 4, ctypes.POINTER(c_uint))
declare(x11, "XSync", c_int, p, c_int)
declare(x11, "XFree", c_int, p)
ErrorHandler = ctypes.CFUNCTYPE(c_int, p, p)
declare(x11, "XSetErrorHandler", p, ErrorHandler)
declare(xext, "XShmQueryExtension", c_int, p)
declare(xext, "XShmCreateImage", ctypes.POINTER(XImage), p, p, c_uint, c_int, p,
        ctypes.POINTER(XShmSegmentInfo), c_uint, c_uint)
declare(xext, "XShmAttach", c_int, p, ctypes.POINTER(XShmSegmentInfo))
declare(xext, "XShmGetImage", c_int, p, c_ulong, ctypes.POINTER(XImage), c_int, c_int, c_ulong)
declare(libc, "shmget", c_int, c_int, ctypes.c_size_t, c_int)
declare(libc, "shmat", p, c_int, p, c_int)
declare(libc, "shmctl", c_int, c_int, c_int, p)

ZPIXMAP, ALL_PLANES = 2, 0xFFFFFFFF
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
screen = x11.XDefaultScreen(display)
root = x11.XRootWindow(display, screen)
width, height = x11.XDisplayWidth(display, screen), x11.XDisplayHeight(display, screen)
x_errors = []
on_error = ErrorHandler(lambda display, event: x_errors.append(event) or 0)
x11.XSetErrorHandler(on_error)


# Shared memory spares copying each frame through the socket; a plain GetImage does without.
def shared_image():
    if not xext.XShmQueryExtension(display):
        return None
    segment = XShmSegmentInfo()
    image = xext.XShmCreateImage(display, x11.XDefaultVisual(display, screen),
                                 x11.XDefaultDepth(display, screen), ZPIXMAP, None,
                                 ctypes.byref(segment), width, height)
    if not image:
        return None
    size = image.contents.bytes_per_line * height
    segment.shmid = libc.shmget(0, size, 0o1600)  # IPC_PRIVATE, IPC_CREAT | 0600
    if segment.shmid < 0:
        return None
    segment.shmaddr = libc.shmat(segment.shmid, None, 0)
    image.contents.data = segment.shmaddr
    attached = xext.XShmAttach(display, ctypes.byref(segment))
    x11.XSync(display, 0)
    libc.shmctl(segment.shmid, 0, None)  # IPC_RMID: gone once both sides have detached
    if not attached or x_errors:
        return None
    return image, segment


shared = shared_image()


# The screen's pixels, with the bits per pixel, the bytes per line and the byte order.
def grab():
    if shared:
        image = shared[0]
        if not xext.XShmGetImage(display, root, image, 0, 0, ALL_PLANES):
            sys.exit("XShmGetImage failed")
        picture = image.contents
        return (picture.bits_per_pixel, picture.bytes_per_line, picture.byte_order,
                ctypes.string_at(picture.data, picture.bytes_per_line * height))
    image = x11.XGetImage(display, root, 0, 0, width, height, ALL_PLANES, ZPIXMAP)
    if not image:
        sys.exit("GetImage failed")
    picture = image.contents
    result = (picture.bits_per_pixel, picture.bytes_per_line, picture.byte_order,
              ctypes.string_at(picture.data, picture.bytes_per_line * height))
    x11.XFree(picture.data)
    x11.XFree(image)
    return result


def png(path, rgb, columns, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    stride = columns * 3
    lines = b"".join(b"\0" + rgb[row * stride:(row + 1) * stride] for row in range(rows))
    with open(path + ".part", "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(chunk(b"IHDR", struct.pack(">IIBBBBB", columns, rows, 8, 2, 0, 0, 0)))
        file.write(chunk(b"IDAT", zlib.compress(lines, 1)))
        file.write(chunk(b"IEND", b""))
    os.replace(path + ".part", path)


# 24-bit colour in 32-bit pixels: B, G, R, unused in LSBFirst order, else unused, R, G, B.
def rgb_of(raw, order, step):
    rgb = bytearray(len(raw) // step * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = (raw[channel::step] for channel in order)
    return bytes(rgb)


os.makedirs(os.path.join(frames, "half"), exist_ok=True)
with open(os.path.join(frames, "index"), "a") as index:
    number, last_digest, last_file = 0, None, 0
    while os.path.exists(flag):
        started = time.time()
        child, other = c_ulong(), c_ulong()
        px, py, wx, wy, mask = c_int(), c_int(), c_int(), c_int(), c_uint()
        x11.XQueryPointer(display, root, ctypes.byref(child), ctypes.byref(other),
                          ctypes.byref(px), ctypes.byref(py), ctypes.byref(wx), ctypes.byref(wy),
                          ctypes.byref(mask))
        bits_per_pixel, line, byte_order, raw = grab()
        if bits_per_pixel != 32:
            sys.exit("unexpected pixel size %d" % bits_per_pixel)
        if line != width * 4:
            raw = b"".join(raw[row * line:row * line + width * 4] for row in range(height))
        # A screen that has not changed is not kept again: its line names the earlier frame.
        # The others are kept raw and made PNGs afterwards, so that frames come quickly.
        digest = hashlib.blake2b(raw, digest_size=16).digest()
        if digest != last_digest:
            last_digest, last_file = digest, number
            with open(os.path.join(frames, "%d.raw" % number), "wb") as file:
                file.write(raw)
            order = (2, 1, 0) if byte_order == 0 else (1, 2, 3)
        index.write("%d %.6f %d %d %d\n" % (number, started, px.value, py.value, last_file))
        index.flush()
        number += 1
        # At most a dozen frames a second, leaving the processor to the presentation.
        time.sleep(max(0.0, started + 0.08 - time.time()))

for name in sorted(name for name in os.listdir(frames) if name.endswith(".raw")):
    path = os.path.join(frames, name)
    number = name[:-len(".raw")]
    with open(path, "rb") as file:
        raw = file.read()
    png(os.path.join(frames, number + ".png"), rgb_of(raw, order, 4), width, height)
    # Every other pixel of every other line, for the animation.
    rows = b"".join(raw[row * width * 4:(row + 1) * width * 4] for row in range(0, height, 2))
    png(os.path.join(frames, "half", number + ".png"), rgb_of(rows, order, 8), width // 2,
        height // 2)
    os.remove(path)
PYTHON
}
: >"$work/recording"
record &
recorder=$!

# Marks the moment a picture shows, optionally a little later (seconds): its picture is the
# first frame taken from then on.
mark() {
    echo "$1 $(awk -v now="$EPOCHREALTIME" -v later="${2:-0}" 'BEGIN {printf "%.6f", now + later}')" \
        >>"$work/marks"
}
pause() { sleep "$1"; }

wait_for 10 "the first frame" test -s "$frames/index"
pause 0.8

log "a Super tap"
# Held a moment, so that it is seen however busy the X server is with the recording.
xdotool keydown Super_L
sleep 0.2
xdotool keyup Super_L
# The ring comes within a few hundredths of a second and shrinks for 0.8 s: its picture is taken
# right away rather than once the slower look at the windows below has seen it.
mark 01-tap 0.1
pause 0.3
wait_for 3 "the ring to go" overlay_gone "$left_monitor"
halomark_runs
pause 0.5

log "a window switch"
activate "$right"
wait_for 3 "the veil on the right monitor" overlay_shown "$right_veil"
mark 02-right-active 0.3
pause 1.2
activate "$left"
wait_for 3 "the veil back on the left monitor" overlay_shown "$left_veil"
mark 03-left-active 0.3
pause 1.2

log "a window dragged by its title bar"
read -r lx ly lw lh < <(geometry_of "$left")
xdotool mousemove $((lx + 160)) $((ly - 10))
pause 0.3
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove_relative -- 25 12
    sleep 0.04
done
wait_for 3 "the veil to step aside" no_overlay
mark 04-drag 0.1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove_relative -- 25 12
    sleep 0.04
done
pause 0.5
xdotool mouseup 1
wait_for 3 "the veil to come back" overlay_shown "$left_veil"
mark 05-dropped 0.3
halomark_runs
pause 1.2

log "a range selection"
read -r lx ly lw lh < <(geometry_of "$left")
from_x=$((lx + 60))
from_y=$((ly + 50))
xdotool mousemove "$from_x" "$from_y"
pause 0.3
xdotool keydown Super_L
wait_for 3 "the selection's panel" overlay_shown "$left_monitor"
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((from_x + 34 * step)) $((from_y + 18 * step))
    sleep 0.05
done
pause 0.3
mark 06-selection
pause 0.5
xdotool mouseup 1 keyup Super_L
mark 07-fading 0.9
wait_for 5 "the rectangle to fade" overlay_gone "$left_monitor"
halomark_runs
pause 0.8

# ---------------------------------------------------------------------------------------------
# The pictures.

rm -f "$work/recording"
wait "$recorder" || fail "the recording failed"
recorder=""
frame_count=$(wc -l <"$frames/index")
log "$frame_count frames recorded"

# A pointer arrow with its tip at X,Y, SCALE times the usual size, as -draw arguments.
arrow() {
    awk -v x="$1" -v y="$2" -v s="$3" 'BEGIN {
        n = split("0 0 0 17 4 13 7 20 10 19 7 12 12 12", p, " ")
        out = "polygon"
        for (i = 1; i < n; i += 2) out = out sprintf(" %.1f,%.1f", x + s * p[i], y + s * p[i + 1])
        print out
    }'
}

log "writing the pictures"
: >"$output/pictures.txt"
while read -r name time; do
    read -r frame x y file < <(awk -v t="$time" '$2 >= t {print $1, $3, $4, $5; exit}' \
        "$frames/index")
    [[ -n ${frame:-} ]] || fail "no frame for $name"
    convert "$frames/$file.png" -depth 8 -fill black -stroke white -strokewidth 1 \
        -draw "$(arrow "$x" "$y" 1)" "PNG24:$output/$name.png"
    echo "$name.png frame=$frame pointer=$x,$y" >>"$output/pictures.txt"
done <"$work/marks"

if $keep_frames; then
    rm -rf "$output/frames"
    cp -r "$frames" "$output/frames"
    cp "$work/marks" "$output/frames/"
fi

log "writing the animation"
# Frames that show the same (the screen and the pointer unchanged) make one picture of the
# animation, which stays until the next one was taken; the last one stays a little longer.
gif_arguments=()
while read -r file x y delay; do
    gif_arguments+=(-delay "$delay" "(" "$frames/half/$file.png" -fill black -stroke white
        -strokewidth 1 -draw "$(arrow $((x / 2)) $((y / 2)) 0.6)" ")")
done < <(awk '{ key = $5 " " $3 " " $4 }
    key != last { n++; picture[n] = key; start[n] = $2; last = key }
    END {
        for (i = 1; i <= n; i++)
            print picture[i], i < n ? int((start[i + 1] - start[i]) * 100 + 0.5) : 200
    }' "$frames/index")
convert "${gif_arguments[@]}" +dither -layers Optimize -loop 0 "$output/demo.gif"

for name in $(awk '{print $1}' "$work/marks") demo; do
    file=$output/$name.png
    [[ $name == demo ]] && file=$output/demo.gif
    identify "$file" >/dev/null 2>&1 || fail "$file was not written"
done
echo "$output"
