#!/usr/bin/env bash
# Plays the demo (scripts/demo.sh) with the given program into a temporary folder and checks
# what it wrote: every screenshot and the animation are valid images, the animation has many
# frames and stays small, the ring of the Super tap shows around the pointer, the veil follows
# the active window and steps aside during a drag. A demo in which the program shows nothing
# fails here.
#
#   demo_test.sh DEMO_SCRIPT PROGRAM
set -euo pipefail

demo=${1:?usage: demo_test.sh DEMO_SCRIPT PROGRAM}
program=${2:?usage: demo_test.sh DEMO_SCRIPT PROGRAM}
export LC_ALL=C

folder=$(mktemp -d "${TMPDIR:-/tmp}/halomark-demo-test-XXXXXX")
failures=0
cleanup() {
    if ((failures == 0)); then
        rm -rf "$folder"
    else
        echo "the demo's output is kept in $folder/out" >&2
    fi
}
trap cleanup EXIT
check() {
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAILED: $description" >&2
        failures=$((failures + 1))
    fi
}

out=$folder/out
if ! printed=$("$demo" --program "$program" --output "$out"); then
    failures=1
    echo "FAILED: the demo ended with an error" >&2
    exit 1
fi
check "the demo prints its output folder" test "$printed" == "$out"

pictures=(01-tap 02-right-active 03-left-active 04-drag 05-dropped 06-selection 07-fading)
for name in "${pictures[@]}"; do
    check "$name.png is a 2560x800 PNG" \
        test "$(identify -format '%m %wx%h' "$out/$name.png" 2>/dev/null)" == "PNG 2560x800"
done

frames=$(identify -format '%m\n' "$out/demo.gif" 2>/dev/null | grep -c '^GIF$' || true)
check "demo.gif is an animation of many frames (it has $frames)" test "$frames" -ge 20
size=$(stat -c %s "$out/demo.gif" 2>/dev/null || echo 0)
check "demo.gif is smaller than 3 MB ($size bytes)" test "$size" -gt 0 -a "$size" -lt 3000000

# Where the pointer was when a picture was taken, as "X Y".
pointer_of() {
    sed -n "s/^$1\.png .*pointer=\([0-9]*\),\([0-9]*\).*/\1 \2/p" "$out/pictures.txt"
}

# Counts the pixels of the default cue colour (white, a little dimmed as the ring fades) 24 to
# 64 pixels from the pointer in each quadrant around it, printing the smallest count. The
# pointer's arrow drawn on the picture lies within 24 pixels; the terminal under the pointer is
# dark and its text greyer (200, 208, 216).
white_ring_pixels() {
    local picture=$1 x y
    read -r x y < <(pointer_of "$picture")
    [[ -n ${x:-} ]] || {
        echo 0
        return
    }
    convert "$out/$picture.png" -crop "129x129+$((x - 64))+$((y - 64))" +repage -depth 8 txt:- |
        awk -F'[ ,:()]+' '/^[0-9]/ {
            # column, row: (red, green, blue) ...
            dx = $1 - 64; dy = $2 - 64; d = sqrt(dx * dx + dy * dy)
            if (d >= 24 && d <= 64 && $3 >= 225 && $4 >= 225 && $5 >= 225)
                count[(dx >= 0 ? 1 : 0) + (dy >= 0 ? 2 : 0)]++
        }
        END {
            least = count[0] + 0
            for (q = 1; q < 4; q++) if (count[q] + 0 < least) least = count[q] + 0
            print least
        }'
}
ring=$(white_ring_pixels 01-tap)
check "the tap's picture shows a white ring around the pointer ($ring pixels in its sparsest quadrant)" \
    test "$ring" -ge 10
# The same look finds nothing once the ring has gone, the pointer still in the same place.
if [[ $(pointer_of 02-right-active) == "$(pointer_of 01-tap)" ]]; then
    none=$(white_ring_pixels 02-right-active)
    check "no ring in the next picture ($none pixels)" test "$none" -lt 3
else
    check "the pointer stays put between the tap and the window switch" false
fi

# The red channel of a pixel of a picture, 0 to 255.
red_at() {
    local hex
    hex=$(convert "$out/$1.png" -crop "1x1+$2+$3" -depth 8 txt:- |
        sed -n 's/.* #\([0-9A-Fa-f][0-9A-Fa-f]\).*/\1/p' | head -n 1)
    echo $((16#${hex:-0}))
}

# The veil lightens what it covers by half towards white. Which monitors it covers shows on
# their bare desktop (left and right, away from the terminals and above the panel); its hole
# shows on a blank spot of the active terminal (columns 60 and on hold no text).
veiled() {
    local picture=$1 expected=$2 left right
    left=$(red_at "$picture" 40 740)
    right=$(red_at "$picture" 2520 740)
    case $expected in
    left) ((left > right + 20)) ;;
    right) ((right > left + 20)) ;;
    none) ((left == right)) ;;
    esac
}
hole_at() {
    local picture=$1 x=$2 y=$3 desktop_x=$4
    (($(red_at "$picture" "$desktop_x" 740) > $(red_at "$picture" "$x" "$y") + 60))
}
check "with the right terminal active only the right monitor is veiled" \
    veiled 02-right-active right
check "... with a hole at the right terminal" hole_at 02-right-active 1980 390 2520
check "with the left terminal active again only the left monitor is veiled" \
    veiled 03-left-active left
check "... with a hole at the left terminal" hole_at 03-left-active 620 300 40
check "while the terminal is dragged no monitor is veiled" veiled 04-drag none
check "after the drop the left monitor is veiled again" veiled 05-dropped left

((failures == 0))
