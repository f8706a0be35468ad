#!/usr/bin/env bash
# Runs every batch function on every table of tests/data, in two option
# sets, plus the example jobs, with a given build of vtbatch, and keeps all
# outputs, error files and exit statuses in one folder. Two snapshots made
# with two builds compare with `diff -r`: a reshaping that must not change
# behaviour has to give identical folders.
#
#   tools/snapshot_outputs.sh BUILD_DIR OUT_DIR
#   tools/snapshot_outputs.sh build /tmp/before && ... && diff -r /tmp/before /tmp/after
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR OUT_DIR" >&2; exit 2; }
src=$(cd "$(dirname "$0")/.." && pwd)
vtbatch=$(cd "$1" && pwd)/batch/vtbatch
[ -x "$vtbatch" ] || { echo "no vtbatch in $1/batch" >&2; exit 2; }
rm -rf "$2" && mkdir -p "$2"
out=$(cd "$2" && pwd)

functions="text asp html1 html2 reltable graph matrix prnmatrix prntable dbase1 dbase2 dbase3 dbase4 excel lotus
vtfile pivotauto pivotmanual selvalues aggvalues"

# The option sets: the defaults, and every switch turned the other way.
options_plain=""
options_rich="rounding=1
decimalpoint=,
stubtype=2
nozero=1
thousand=1
doublecolumn=1
completeinfo=3
rowlength=70
pagelength=30
marglength=2
delim=tab
datanoteoptplace=1
datanote=1
decimals=1
keys=1
Symbol1=n.a.
Symbolnil=nil"

extension() {
    case "$1" in
    text|prnmatrix|prntable|reltable) echo txt ;;
    asp) echo asp ;;
    html1|html2) echo htm ;;
    graph) echo gra ;;
    matrix) echo mtx ;;
    dbase*) echo dbf ;;
    excel) echo xls ;;
    lotus) echo wk1 ;;
    *) echo vt ;;
    esac
}

for table in "$src"/tests/data/*.vt; do
    name=$(basename "$table" .vt)
    for set in plain rich; do
        dir="$out/$name-$set"
        mkdir -p "$dir"
        cp "$table" "$dir/in.vt"
        printf '[Aggregation]\nMap=\nGroups=2\nGroup1=First\nValue1=1,2\nGroup2=Rest\nValue2=3\n' >"$dir/agg.agg"
        for f in $functions; do
            options=options_$set
            {
                printf '[Files]\nInfile=in.vt\nOutfile=%s.%s\nErrorfile=%s.err\n' "$f" "$(extension "$f")" "$f"
                printf '[Query]\nFunction=%s\nPivotAlt=1\nUnitVar=unit\niteration=1\ntextdelim="\n' "$f"
                printf 'Classcat=agg.agg\nvtlang=\nguilang=1\nUppercase=1\n'
                printf 'descript=New description\nsubject=Subject\ncontents=1\n'
                printf '[Texts]\nText1=and\nText2=by\nText3=dist\nText4=unit\n'
                printf '[Data]\nNoOfVar=2\n%s\n' "${!options}"
                printf '[Var1]\nValue1=1\nValue2=2\n[Var2]\nValue1=1\n'
            } >"$dir/$f.ini"
            status=0
            (cd "$dir" && "$vtbatch" "$f.ini" >/dev/null 2>&1) || status=$?
            echo "$f $status" >>"$dir/status.txt"
        done
    done
done

# The example jobs as ./dev example runs them.
mkdir -p "$out/examples"
cp "$src"/examples/* "$out/examples/"
for job in text_report.ini resave_keyed.ini chain.xml; do
    status=0
    (cd "$out/examples" && "$vtbatch" "$job" >/dev/null 2>&1) || status=$?
    echo "$job $status" >>"$out/examples/status.txt"
done
echo "snapshot of $(find "$out" -type f | wc -l) files in $out"
