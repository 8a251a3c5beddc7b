#!/usr/bin/env bash
# Builds and passes every test: installs what is missing, checks formatting, then builds with
# warnings as errors and runs the unit tests in the normal and the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh

jobs=$(nproc)
for preset in default asan; do
    echo "== ${preset}: configure, build, test"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
