#!/usr/bin/env bash
# Builds the optimised benchmarks and runs them. Extra arguments go to Google Benchmark,
# for example --benchmark_filter=CommandKey.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target halomark_benchmarks
build/release/bench/halomark_benchmarks "$@"
