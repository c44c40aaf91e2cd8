#!/bin/sh
# Times zarn-cli new, html and set on generated templates beside cp and cat of the document, and
# prints one table, then how time grows between sizes four times apart. Usage:
# bench/scale/run.sh [ZARN_CLI] [N...]   (defaults: build/bin/zarn-cli, 20000 25000 80000 100000).
# RUNS (default 5) sets the runs per figure; CALLGRIND=1 adds instruction counts.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-$here/../../build/bin/zarn-cli}")
[ $# -gt 0 ] && shift
sizes=${*:-20000 25000 80000 100000}
runs=${RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { # farm-bench report, row name: the middle of its min, median and max
    awk -v row="$2" 'index($0, row) == 1 { print $(split(row, w, " ") + 2); exit }' "$1"
}
bench() { # report file, then farm-bench's arguments
    out=$1; shift
    farm-bench -n "$runs" --timeout 600 "$@" >"$out" 2>&1 || { cat "$out" >&2; exit 1; }
}
ms() { awk -v s="$1" 'BEGIN { printf "%.0f", s * 1000 }'; }

printf '%-7s %8s %8s %8s %8s %8s %7s %7s %9s %9s' N MB new_ms cp_ms html_ms cat_ms new/cp html/cat set_ms new_MiB
[ "${CALLGRIND:-0}" = 1 ] && printf ' %12s %12s %12s' new_Ir html_Ir set_Ir
printf '\n'
for n in $sizes; do
    t=$work/t$n.zrt d=$work/d$n.zrt
    python3 "$here/generate.py" "$n" "$t"
    "$cli" new "$t" "$d"
    mb=$(awk -v b="$(wc -c <"$t")" 'BEGIN { printf "%.1f", b / 1e6 }')
    bench "$work/new" --vs "cp $t $work/copy" -- "$cli" new --force "$t" "$d"
    bench "$work/html" --vs "sh -c 'exec cat $d >/dev/null'" -- sh -c "exec $cli html $d >/dev/null"
    bench "$work/set" -- "$cli" set "$d" "p$((n / 2))=changed"
    echo "$n $(median "$work/new" 'A wall s') $(median "$work/html" 'A wall s') $(median "$work/set" 'A wall s')" >>"$work/times"
    printf '%-7s %8s %8s %8s %8s %8s %7.1f %7.1f %9s %9s' "$n" "$mb" \
        "$(ms "$(median "$work/new" 'A wall s')")" "$(ms "$(median "$work/new" 'B wall s')")" \
        "$(ms "$(median "$work/html" 'A wall s')")" "$(ms "$(median "$work/html" 'B wall s')")" \
        "$(median "$work/new" 'A/B wall')" "$(median "$work/html" 'A/B wall')" \
        "$(ms "$(median "$work/set" 'A wall s')")" "$(median "$work/new" 'A peak MiB')"
    if [ "${CALLGRIND:-0}" = 1 ]; then
        for cmd in new html set; do
            case $cmd in
            new) set -- new --force "$t" "$d" ;;
            html) set -- html "$d" ;;
            set) set -- set "$d" "p$((n / 2))=again" ;;
            esac
            valgrind --tool=callgrind --callgrind-out-file="$work/cg.$cmd" "$cli" "$@" >/dev/null 2>"$work/cg.log"
            printf ' %12s' "$(awk '/^summary:/ { print $2 }' "$work/cg.$cmd")"
        done
    fi
    printf '\n'
done
# Growth: each size against the one a quarter of it, when both were timed.
awk '{ n[NR] = $1; a[$1] = $2; b[$1] = $3; c[$1] = $4 }
     END { for (i = 1; i <= NR; i++) if ((n[i] / 4) in a)
               printf "x4 in size, %s to %s: new x%.2f, html x%.2f, set x%.2f\n", n[i] / 4, n[i],
                      a[n[i]] / a[n[i] / 4], b[n[i]] / b[n[i] / 4], c[n[i]] / c[n[i] / 4] }' "$work/times"
