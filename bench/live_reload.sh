#!/bin/sh
# Times live reloads of a sample applet and checks the viewer's heap over many of them.
# Prints the median of the viewer's "reloaded ... in N ms" over RELOADS reloads, and the heap after a
# full collection after the first reload and after HEAP_RELOADS reloads. Needs a display (or xvfb-run).
# Usage: live_reload.sh VIEWER_JAR ZARN_CLI TEMPLATE [RELOADS] [HEAP_RELOADS]
set -eu
viewer=$1 cli=$2 template=$3 reloads=${4:-20} heapReloads=${5:-200}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a sh "$0" "$@"
fi
work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config"
name=$(basename "$template" .zrt)
"$cli" new "$template" "$work/$name.zrd" --webroot "$work" --codebase "$work" >/dev/null
"$cli" check "$work/$name.zrd" --copy --from "$(dirname "$template")" >/dev/null
"$cli" preview --no-launch "$work/$name.zrd" >"$work/cli"
page=$(tail -n 1 "$work/cli")
mkfifo "$work/in"
java -jar "$viewer" --live --timing <"$work/in" >"$work/out" 2>"$work/err" &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
exec 3>"$work/in"
# answer PATTERN COUNT: waits until COUNT answers match
answer() {
    while [ "$(grep -c "^zarn-live: $1" "$work/out")" -lt "$2" ]; do sleep 0.02; done
}
for i in $(seq "$heapReloads"); do
    echo "page $page" >&3
    answer reloaded "$i"
    if [ "$i" = 1 ]; then
        echo heap >&3
        answer heap 1
    fi
done
echo heap >&3
answer heap 2
exec 3>&-
wait $pid
grep '^zarn-live: reloaded' "$work/out" | tail -n "$reloads" | awk '{ print $(NF - 1) }' | sort -n |
    awk -v n="$reloads" '{ v[NR] = $1 } END { print "median reload to first paint over the last " n ": " v[int((NR + 1) / 2)] " ms (min " v[1] ", max " v[NR] ")" }'
grep '^zarn-live: heap' "$work/out" | awk -v n="$heapReloads" '{ kb[NR] = $3 } END {
    printf "heap after 1 reload: %d KB, after %d: %d KB (%+.1f%%)\n", kb[1], n, kb[2], (kb[2] - kb[1]) * 100 / kb[1] }'
