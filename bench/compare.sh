#!/usr/bin/env bash
# Times whole vtbatch jobs on a generated table beside cp of the same file
# and prints each job's time as a multiple of the copy.
#
#   bench/compare.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR is a Release build (default build-rel; built here when it has
# no vtbatch). Each job runs RUNS times (default 3) and the best wall time
# counts; the peak memory is that of the best run. VELTRA_THREADS is passed
# through, so `VELTRA_THREADS=1 bench/compare.sh` shows one thread. The
# table is vtgen's 10-million-cell table (stub 50 x 200, heading 1 000, two
# decimals, 2% data symbols, about 89 MB); CELLS=N picks another size.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-rel}
runs=${2:-3}
case $build in /*) ;; *) build=$PWD/$build ;; esac
if [ ! -x "$build/batch/vtbatch" ] || [ ! -x "$build/tools/vtgen" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_TESTS=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target vtbatch vtgen >/dev/null
fi
[ -x /usr/bin/time ] || { echo "compare.sh needs /usr/bin/time (Debian package time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
if [ -n "${CELLS:-}" ]; then
    "$build/tools/vtgen" --cells "$CELLS" --decimals 2 --symbols 2 -o big.vt
else
    "$build/tools/vtgen" --stub 50,200 --heading 1000 --decimals 2 --symbols 2 -o big.vt
fi
size=$(stat -c %s big.vt)

# best_of CMD...: runs the command $runs times; prints "seconds peak_kB" of
# the fastest run.
best_of() {
    local best="" mem="" i t m
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -o timing -f "%e %M" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
        read -r t m <timing
        if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$t
            mem=$m
        fi
    done
    echo "$best $mem"
}

job() {  # job FUNCTION OUTPUT [extra [Data] lines]
    local f=$1 out=$2
    shift 2
    {
        printf '[Files]\nInfile=big.vt\nOutfile=%s\nErrorfile=%s.err\n[Query]\nFunction=%s\n' "$out" "$f" "$f"
        if [ $# -gt 0 ]; then
            printf '[Data]\n'
            printf '%s\n' "$@"
        fi
    } >"$f.ini"
}

job vtfile out.vt
job reltable out_rel.txt
job matrix out.mtx
job graph out.gra
job html1 out1.htm
job html2 out2.htm
job asp out.asp
job text out.txt
job dbase1 out.dbf
job excel out.xls
job prnmatrix out_prnm.txt
job prntable out_prnt.txt
# The keyed re-save: the same table written with its rows keyed by value texts.
printf '[Files]\nInfile=big.vt\nOutfile=keyed.vt\nErrorfile=keyed.err\n[Query]\nFunction=vtfile\n[Data]\nkeys=1\n' >vtfile_keyed.ini

read -r cp_s cp_kb < <(best_of cp big.vt copy.vt)
rm -f copy.vt
cp_ms=$(awk -v s="$cp_s" 'BEGIN { print (s < 0.01 ? 10 : s * 1000) }')
printf 'table: %s bytes, threads: %s, best of %s runs\n' "$size" "${VELTRA_THREADS:-all cores}" "$runs"
printf '%-14s %9s %10s %9s\n' job seconds peak_kB "x cp"
printf '%-14s %9s %10s %9s\n' cp "$cp_s" "$cp_kb" 1.0
for f in vtfile vtfile_keyed reltable matrix graph html1 html2 asp text dbase1 excel prnmatrix prntable; do
    read -r s kb < <(best_of "$build/batch/vtbatch" "$f.ini")
    printf '%-14s %9s %10s %9s\n' "$f" "$s" "$kb" "$(awk -v s="$s" -v c="$cp_ms" 'BEGIN { printf "%.1f", s * 1000 / c }')"
    rm -f out* keyed.vt
done
