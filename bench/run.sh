#!/usr/bin/env bash
# Builds the benchmarks in build-bench (Release) and runs them; extra arguments go to the benchmark.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELTRA_BENCH=ON -DVELTRA_TESTS=OFF
cmake --build build-bench --target vt_bench -j2
build-bench/bench/vt_bench "$@"
