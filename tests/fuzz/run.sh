#!/usr/bin/env bash
# Builds the reader fuzz target with clang in build-fuzz and runs it on a copy of the seeds.
#
#   tests/fuzz/run.sh [seconds]      (default 600)
#
# The corpus grows in tests/fuzz/corpus-<date>/ (ignored by git); crash,
# leak and timeout reproducers land in build-fuzz/fuzz-artifacts/. Replay
# one with: build-fuzz/tests/fuzz/fuzz_metain <file>
set -euo pipefail

seconds=${1:-600}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-fuzz

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_FUZZ=ON -DVELTRA_TESTS=OFF -DVELTRA_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_metain -j2

corpus=$here/corpus-$(date +%Y%m%d-%H%M%S)
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
cp "$here"/seed/* "$corpus"/
log=$build/fuzz-$(basename "$corpus").log

# Undefined behaviour counts as a crash, not as a line in the log.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
"$build/tests/fuzz/fuzz_metain" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$here/metain.dict" -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" >"$log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -n 2 || true
grep -E '^(Done [0-9]+ runs|stat::)' "$log" || true
echo "corpus: $(find "$corpus" -type f | wc -l) files in $corpus"
echo "log: $log"
if [ "$status" -ne 0 ]; then
    echo "fuzz_metain stopped with status $status; reproducers:"
    ls -1 "$artifacts"
    grep -E -m 20 'ERROR|SUMMARY|fuzz_metain:|#[0-9]+ 0x' "$log" || true
fi
exit "$status"
