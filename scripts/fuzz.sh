#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build/fuzz, apart from the other
# builds, and runs each for a fixed number of inputs over a scratch copy of its seed corpus
# tests/fuzz/corpus/<target>/, so that the run never changes the repository. Fails on any
# crash, sanitizer report, leak or hang, keeping the input that caused it in
# build/fuzz/failures/. The same seed every time, so a run is repeatable; set
# HALOMARK_FUZZ_RUNS and HALOMARK_FUZZ_SEED to search longer or elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${HALOMARK_FUZZ_RUNS:-20000}
seed=${HALOMARK_FUZZ_SEED:-1}
build=build/fuzz

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/failures"
failed=()
for fuzzer in "$build"/bin/*; do
    name=$(basename "$fuzzer")
    corpus="$scratch/$name"
    mkdir -p "$corpus"
    if [[ -d tests/fuzz/corpus/$name ]]; then
        cp -R "tests/fuzz/corpus/$name/." "$corpus/"
    fi
    echo "== fuzz ${name}: ${runs} inputs"
    start=$SECONDS
    if "$fuzzer" -runs="$runs" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/failures/$name-" "$corpus" >"$scratch/$name.log" 2>&1; then
        echo "   passed in $((SECONDS - start)) s"
    else
        tail -n 40 "$scratch/$name.log"
        failed+=("$name")
    fi
done

if ((${#failed[@]} > 0)); then
    echo "Fuzzing failed: ${failed[*]}. The inputs are in $build/failures/; after the fix, add" \
        "each to its tests/fuzz/corpus/<target>/." >&2
    exit 1
fi
