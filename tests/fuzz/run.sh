#!/usr/bin/env bash
# Builds a fuzz target with clang in build-fuzz and runs it on a copy of its seeds.
#
#   tests/fuzz/run.sh [seconds] [target]     (default 600 fuzz_metain)
#
# Targets: fuzz_metain (the keyword reader; seeds in seed/, dictionary
# metain.dict), fuzz_data (the data section readers and writers; seeds in
# seed_data/, dictionary data.dict) and fuzz_exports (the routine of every
# available batch function on one table file; the reader's seeds and
# dictionary), fuzz_ini_query and fuzz_xml_query (a query file run as vtbatch
# runs it, on a sample table; seeds in seed_ini/ and seed_xml/, dictionary
# query.dict).
# The corpus grows in
# tests/fuzz/corpus-<date>/ (ignored by git); crash, leak and timeout
# reproducers land in build-fuzz/fuzz-artifacts/. Replay one with:
# build-fuzz/tests/fuzz/<target> <file>
set -euo pipefail

seconds=${1:-600}
target=${2:-fuzz_metain}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-fuzz

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_FUZZ=ON -DVELTRA_TESTS=OFF -DVELTRA_BENCH=OFF >/dev/null
case "$target" in
    fuzz_metain) seeds=$here/seed dict=$here/metain.dict ;;
    fuzz_data) seeds=$here/seed_data dict=$here/data.dict ;;
    fuzz_exports) seeds=$here/seed dict=$here/metain.dict ;;
    fuzz_ini_query) seeds=$here/seed_ini dict=$here/query.dict ;;
    fuzz_xml_query) seeds=$here/seed_xml dict=$here/query.dict ;;
    *) echo "unknown target: $target (fuzz_metain, fuzz_data, fuzz_exports, fuzz_ini_query or fuzz_xml_query)" >&2; exit 2 ;;
esac
cmake --build "$build" --target "$target" -j2

corpus=$here/corpus-$(date +%Y%m%d-%H%M%S)
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
cp "$seeds"/* "$corpus"/
log=$build/fuzz-$(basename "$corpus").log

# Undefined behaviour counts as a crash, not as a line in the log.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
"$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$dict" -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" >"$log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -n 2 || true
grep -E '^(Done [0-9]+ runs|stat::)' "$log" || true
echo "corpus: $(find "$corpus" -type f | wc -l) files in $corpus"
echo "log: $log"
if [ "$status" -ne 0 ]; then
    echo "$target stopped with status $status; reproducers:"
    ls -1 "$artifacts"
    grep -E -m 20 "ERROR|SUMMARY|$target:|#[0-9]+ 0x" "$log" || true
fi
exit "$status"
