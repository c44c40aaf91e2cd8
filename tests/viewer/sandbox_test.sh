#!/bin/sh
# Runs an applet that tries to write and read files outside its code base, start a program and
# connect to another host, untrusted (the sandbox of this runtime, then bubblewrap), and trusted.
# Usage: sandbox_test.sh JAVA VIEWER_JAR APPLET_CLASS_DIR
set -u
java=$1 viewer=$2 classes=$3

if [ -z "${ZARN_UNDER_XVFB:-}" ]; then
    if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v python3 >/dev/null 2>&1; then
        echo "xvfb-run or python3 not found (packages xvfb xauth python3): the sandbox test is skipped"
        exit 77
    fi
    ZARN_UNDER_XVFB=1 exec timeout 220 xvfb-run -a sh "$0" "$@"
fi

work=$(mktemp -d)
python3 -c 'import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(8)
print(s.getsockname()[1], flush=True); time.sleep(200)' >"$work/port" &
listener=$!
trap 'kill $listener; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/site/classes"
cp "$classes"/SandboxApplet*.class "$work/site/classes/"
echo secret >"$work/secret.txt"
while [ ! -s "$work/port" ]; do sleep 0.1; done
cat >"$work/site/page.html" <<PAGE
<applet code=SandboxApplet codebase=classes width=60 height=40>
<param name=write value="$work/written.txt"><param name=read value="$work/secret.txt">
<param name=port value="$(cat "$work/port")"></applet>
PAGE

# run NAME EXPECTED-RESULT SANDBOX-LINE [viewer options]: every attempt must end as expected.
run() {
    name=$1 expected=$2 sandbox=$3; shift 3
    rm -f "$work/written.txt"
    timeout 60 "$java" -jar "$viewer" "$@" "$work/site/page.html" >"$work/out" 2>"$work/err"
    rc=$?
    [ "$rc" = 0 ] || fail "$name: exit code $rc; $(cat "$work/out" "$work/err")"
    grep -q "^zarn-viewer: $sandbox" "$work/out" || fail "$name: sandbox not reported as '$sandbox': $(cat "$work/out")"
    for attempt in write read process socket; do
        grep -q "^$attempt: $expected" "$work/out" || fail "$name: $attempt not $expected: $(cat "$work/out")"
    done
    if [ "$expected" = denied ] && [ -e "$work/written.txt" ]; then fail "$name: the file was written"; fi
    if [ "$expected" = allowed ] && [ ! -e "$work/written.txt" ]; then fail "$name: the file was not written"; fi
}

run "untrusted" denied "Sandbox: "
run "trusted" allowed "No sandbox: the document trusts this applet" --trusted
timeout 60 "$java" -jar "$viewer" --sandbox=bwrap "$work/site/page.html" >"$work/out" 2>&1
if grep -q "^zarn-viewer: No sandbox: .*bubblewrap" "$work/out"; then
    echo "bubblewrap part skipped: $(grep "^zarn-viewer: No sandbox" "$work/out")"
else
    run "bubblewrap" denied "Sandbox: bubblewrap" --sandbox=bwrap
fi

# Code from the network runs only for a document that trusts it.
echo "<applet code=SandboxApplet codebase=http://127.0.0.1:9/ width=5 height=5></applet>" >"$work/site/web.html"
timeout 60 "$java" -jar "$viewer" "$work/site/web.html" >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" = 5 ] && grep -q "is not local" "$work/err" || fail "network code base: exit code $rc: $(cat "$work/err")"

[ "$failures" = 0 ] && echo "sandbox: all cases passed"
[ "$failures" = 0 ]
