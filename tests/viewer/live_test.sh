#!/bin/sh
# Runs the ZARN applet viewer in live mode on a virtual display and sends it pages on its input:
# each replaces the applet in the one window, failures come back as answers and show in the window,
# the old applet's threads are interrupted, and the end of the input ends the viewer.
# Usage: live_test.sh JAVA VIEWER_JAR PROBE_CLASS_DIR
set -u
java=$1 viewer=$2 probeClasses=$3

if [ -z "${ZARN_UNDER_XVFB:-}" ]; then
    if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v xwininfo >/dev/null 2>&1; then
        echo "xvfb-run or xwininfo not found (packages xvfb xauth x11-utils): the live viewer test is skipped"
        exit 77
    fi
    ZARN_UNDER_XVFB=1 exec timeout 120 xvfb-run -a sh "$0" "$@"
fi

work=$(mktemp -d)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mkdir -p "$work/classes"
cp "$probeClasses/ProbeApplet.class" "$work/classes/"

mkfifo "$work/in"
# The test applet writes its findings beside the page, which only a trusted applet may.
timeout 90 "$java" -jar "$viewer" --trusted --live <"$work/in" >"$work/out" 2>"$work/err" &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
exec 3>"$work/in"
answers=0

# send NAME PARAMS...: writes a page of the test applet and sends it, then waits for its answer and
# leaves it in $answer
send() {
    name=$1 size=$2; shift 2
    {
        echo "<applet code=ProbeApplet codebase=classes $size><param name=out value=\"$work/$name.txt\">"
        for param in stay=1 "$@"; do echo "<param name=${param%%=*} value=\"${param#*=}\">"; done
        echo "</applet>"
    } >"$work/$name.html"
    echo "page $work/$name.html" >&3
    answers=$((answers + 1))
    for _ in $(seq 200); do
        [ "$(grep -c '^zarn-live: \(started\|failed\)' "$work/out")" -ge $answers ] && break
        sleep 0.1
    done
    answer=$(grep '^zarn-live: \(started\|failed\)' "$work/out" | sed -n "${answers}p")
}
windows() { xwininfo -root -tree | grep -c '"Applet viewer'; }

send first "width=100 height=50" greeting=first thread=1
[ "$answer" = "zarn-live: started ProbeApplet" ] || fail "first page: '$answer' $(cat "$work/err")"
send second "width=200 height=80" greeting=second
[ "$answer" = "zarn-live: started ProbeApplet" ] || fail "second page: '$answer' $(cat "$work/err")"
grep -qx "param greeting=second" "$work/second.txt" && grep -qx "size=200x80" "$work/second.txt" ||
    fail "second applet: $(cat "$work/second.txt")"
for line in stop destroy "thread interrupted"; do
    grep -qx "$line" "$work/first.txt" || fail "first applet, '$line': $(cat "$work/first.txt")"
done
[ "$(windows)" = 1 ] || fail "windows: $(xwininfo -root -tree | grep 'Applet viewer')"

# Failures, answered and in the window's title: an init that fails, a class rebuilt into no class.
send failing "width=50 height=40" fail=1
case $answer in "zarn-live: failed ProbeApplet: java.lang.IllegalStateException: asked to fail") ;;
    *) fail "failing init: '$answer'" ;; esac
xwininfo -root -tree | grep -q 'failed: java.lang.IllegalStateException: asked to fail' ||
    fail "failing init not shown: $(xwininfo -root -tree | grep 'Applet viewer')"
head -c 40 "$probeClasses/ProbeApplet.class" >"$work/classes/ProbeApplet.class"
send truncated "width=50 height=40"
case $answer in "zarn-live: failed class ProbeApplet is not a valid class file"*) ;;
    *) fail "rebuilt class: '$answer'" ;; esac
xwininfo -root -tree | grep -q 'failed: class ProbeApplet is not a valid class file' ||
    fail "bad class not shown: $(xwininfo -root -tree | grep 'Applet viewer')"
[ "$(windows)" = 1 ] || fail "windows after failures: $(windows)"

cp "$probeClasses/ProbeApplet.class" "$work/classes/"
send last "width=60 height=30"
[ "$answer" = "zarn-live: started ProbeApplet" ] || fail "last page: '$answer'"
exec 3>&-
wait $pid
rc=$?
[ $rc = 0 ] || fail "end of input: exit code $rc; $(cat "$work/err")"
[ "$(tail -n 2 "$work/last.txt" | tr '\n' ' ')" = "stop destroy " ] || fail "last applet: $(cat "$work/last.txt")"

[ "$failures" = 0 ] && echo "live applet viewer: all cases passed"
[ "$failures" = 0 ]
