#!/usr/bin/env bash
# Installs what is missing and builds the optimised program, then:
#
# - on a desktop (DISPLAY set and its X server answering, as xdpyinfo checks) starts Halomark
#   there; the arguments go to the program, for example --version;
# - with no display (DISPLAY unset, or nothing answers at it) plays the demo instead
#   (scripts/demo.sh: a private desktop, a scripted presentation, screenshots and an animated
#   GIF in a new folder under build/demo/, whose path it prints) and exits with the demo's
#   status; the arguments go to the demo, for example --output DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release -DHALOMARK_BUILD_DESKTOP=ON >/dev/null
cmake --build --preset release -j "$(nproc)" --target halomark
if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    exec build/release/halomark "$@"
fi
echo "run: no X display${DISPLAY:+ answers at $DISPLAY}; playing the demo instead" >&2
exec scripts/demo.sh --program build/release/halomark "$@"
