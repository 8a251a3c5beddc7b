#!/usr/bin/env bash
# demo_test.sh DEMO_SCRIPT PROGRAM: plays the demo and checks its pictures and animation: the
# ring of the Super tap, the veil following the active window and stepping aside during a drag.
set -euo pipefail
export LC_ALL=C
out=$(mktemp -d "${TMPDIR:-/tmp}/halomark-demo-test-XXXXXX")/out
failures=0
check() {
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1" >&2 && failures=$((failures + 1)); fi
}
printed=$("${1:?usage: demo_test.sh DEMO_SCRIPT PROGRAM}" --program "${2:?}" --output "$out") ||
    true
check "the demo runs and prints its output folder" test "$printed" == "$out"
for name in 01-tap 02-right-active 03-left-active 04-drag 05-dropped 06-selection 07-fading; do
    check "$name.png is a 2560x800 PNG" \
        test "$(identify -format '%m %wx%h' "$out/$name.png" 2>/dev/null)" == "PNG 2560x800"
done
frames=$(identify -format '%m\n' "$out/demo.gif" 2>/dev/null | grep -c '^GIF$' || true)
check "demo.gif is an animation of many frames (it has $frames)" test "$frames" -ge 20
size=$(stat -c %s "$out/demo.gif" 2>/dev/null || echo 0)
check "demo.gif is smaller than 3 MB ($size bytes)" test "$size" -gt 0 -a "$size" -lt 3000000

# Where the pointer was when a picture was taken, as "X Y".
pointer_of() { sed -n "s/^$1\.png .*pointer=\([0-9]*\),\([0-9]*\).*/\1 \2/p" "$out/pictures.txt"; }
# The fewest near-white pixels 24 to 64 pixels from the pointer (its arrow lies within 24) in
# any quadrant around it; the terminal under the pointer is dark and its text greyer.
white_ring_pixels() {
    local x y
    read -r x y < <(pointer_of "$1") || true
    convert "$out/$1.png" -crop "129x129+$((${x:-64} - 64))+$((${y:-64} - 64))" +repage \
        -depth 8 txt:- | awk -F'[ ,:()]+' -v found="${x:-}" '/^[0-9]/ {
            dx = $1 - 64; dy = $2 - 64; d = sqrt(dx * dx + dy * dy)
            if (d >= 24 && d <= 64 && $3 >= 225 && $4 >= 225 && $5 >= 225)
                count[(dx >= 0) + 2 * (dy >= 0)]++
        }
        END {
            least = found == "" ? 0 : count[0] + 0
            for (q = 1; q < 4; q++) if (count[q] + 0 < least) least = count[q] + 0
            print least
        }'
}
ring=$(white_ring_pixels 01-tap)
check "the tap's picture shows a white ring around the pointer ($ring in its sparsest quadrant)" \
    test "$ring" -ge 10
# The same look, the pointer still in the same place, finds nothing once the ring has gone.
check "the pointer stays put between the tap and the window switch" \
    test "$(pointer_of 02-right-active)" == "$(pointer_of 01-tap)"
none=$(white_ring_pixels 02-right-active)
check "no ring in the next picture ($none pixels)" test "$none" -lt 3

# The red channel of a pixel of a picture, 0 to 255.
red_at() { convert "$out/$1.png" -format "%[fx:int(255*p{$2,$3}.r+0.5)]" info:; }
# The veil lightens what it covers: left minus right bare desktop, above the panel.
veil() { echo $(($(red_at "$1" 40 740) - $(red_at "$1" 2520 740))); }
# Its hole: a blank spot of the active terminal (columns 60 and on) darker than the desktop.
hole_at() { (($(red_at "$1" "$4" 740) > $(red_at "$1" "$2" "$3") + 60)); }
check "with the right terminal active only the right monitor is veiled" \
    test "$(veil 02-right-active)" -lt -20
check "... with a hole at the right terminal" hole_at 02-right-active 1980 390 2520
check "with the left terminal active again only the left monitor is veiled" \
    test "$(veil 03-left-active)" -gt 20
check "... with a hole at the left terminal" hole_at 03-left-active 620 300 40
check "while the terminal is dragged no monitor is veiled" test "$(veil 04-drag)" -eq 0
check "after the drop the left monitor is veiled again" test "$(veil 05-dropped)" -gt 20

if ((failures == 0)); then rm -rf "$(dirname "$out")"; else echo "output kept in $out" >&2; fi
((failures == 0))
