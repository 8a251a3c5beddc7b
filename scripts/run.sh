#!/usr/bin/env bash
# Installs what is missing, builds the optimised program and starts Halomark on the current X
# display ($DISPLAY). Arguments go to the program, for example --version.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release -DHALOMARK_BUILD_DESKTOP=ON >/dev/null
cmake --build --preset release -j "$(nproc)" --target halomark
exec build/release/halomark "$@"
