#!/usr/bin/env bash
# Builds and passes every test: installs what is missing, checks formatting and the tests'
# share of the code, builds with warnings as errors and runs the unit tests in the normal and
# the sanitizer build, runs the fuzz targets for a fixed number of inputs, then builds the
# desktop adapters and runs their tests on a private X desktop (Xvfb, openbox, a panel), which
# ctest starts and stops; the desktop is stopped here too should anything go wrong.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh
scripts/check-test-budget.sh

jobs=$(nproc)
for preset in default asan; do
    echo "== ${preset}: configure, build, test"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz: the parsers of untrusted input under libFuzzer"
scripts/fuzz.sh

echo "== desktop: configure, build, test on a private X desktop"
export HALOMARK_DESKTOP_STATE="$PWD/build/desktop/xvfb-desktop"
trap 'scripts/xvfb-desktop.sh stop' EXIT
cmake --preset desktop >/dev/null
cmake --build --preset desktop -j "$jobs"
ctest --preset desktop
