#!/bin/sh
# Runs the ZARN applet viewer on pages holding the test applet, on a virtual display of its own, and
# checks what the applet received, the clean exit when its window closes, and the error codes.
# Usage: viewer_test.sh JAVA VIEWER_JAR PROBE_JAR PROBE_CLASS_DIR
set -u
java=$1 viewer=$2 probeJar=$3 probeClasses=$4

if [ -z "${ZARN_UNDER_XVFB:-}" ]; then
    if ! command -v xvfb-run >/dev/null 2>&1; then
        echo "xvfb-run not found (packages xvfb xauth): the applet viewer test is skipped"
        exit 77
    fi
    ZARN_UNDER_XVFB=1 exec timeout 150 xvfb-run -a sh "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

site="$work/my site"
mkdir -p "$site/pages" "$site/lib" "$site/classes"
cp "$probeJar" "$site/lib/probe.jar"
cp "$probeClasses/ProbeApplet.class" "$site/classes/"
siteURL="file:$(echo "$site" | sed 's/ /%20/g')/"

# viewer PAGE [java options...]: runs it (with --quit-after-show when $quit is set), leaves the exit
# code in $rc and stderr in $work/err
quit=
viewer() {
    page=$1; shift
    # The test applet writes its findings beside the site, which only a trusted applet may.
    timeout 60 "$java" "$@" -jar "$viewer" --trusted ${quit:+--quit-after-show} "$page" >"$work/out" 2>"$work/err"
    rc=$?
}
expect_rc() {
    [ "$rc" = "$1" ] || fail "$2: exit code $rc, expected $1; stderr: $(cat "$work/err")"
}
expect_line() {
    grep -qxF -- "$1" "$2" || fail "missing line '$1' in $2: $(cat "$2")"
}

# Archive below a relative code base, attributes in every style, entities in values.
cat >"$site/pages/archive.html" <<PAGE
<HTML><HEAD><base HREF="$siteURL"></HEAD><BODY>
<!-- <APPLET CODE=Commented.class></APPLET> -->
<applet Code=ProbeApplet.class codebase='lib' ARCHIVE="probe.jar" width=240 HEIGHT="90">
<PARAM NAME=out VALUE="$work/archive.txt">
<param name="Greeting" value="Hello &amp; welcome &lt;b&gt; &#233;&#x20AC;">
<Param Name='ENTITIES' Value='&quot;q&quot; &bogus; & x'>
<PARAM NAME=unquoted VALUE=plain>
</applet></BODY></HTML>
PAGE
viewer "$site/pages/archive.html"
expect_rc 0 "archive page"
out="$work/archive.txt"
if [ -f "$out" ]; then
    for line in "param greeting=Hello & welcome <b> é€" "param GREETING=Hello & welcome <b> é€" \
        'param Entities="q" &bogus; & x' "param unquoted=plain" "param missing=null" \
        "codebase=${siteURL}lib/" "documentbase=${siteURL}pages/archive.html" "size=240x90" "context=true"; do
        expect_line "$line" "$out"
    done
    [ "$(tail -n 3 "$out" | tr '\n' ' ')" = "start stop destroy " ] || fail "life cycle: $(tail -n 3 "$out")"
else
    fail "the applet wrote nothing (stderr: $(cat "$work/err"))"
fi

# Loose classes, the code base taken as a folder without its slash; no BASE: the page's folder.
cat >"$site/page.html" <<PAGE
<applet code="ProbeApplet" codebase=classes width=50 height=40><param name=out value="$work/loose.txt"></applet>
PAGE
viewer "$site/page.html"
expect_rc 0 "loose classes"
[ -f "$work/loose.txt" ] && expect_line "codebase=${siteURL}classes/" "$work/loose.txt"

# An applet whose init fails: its window closes, the viewer says why and ends with 7.
cat >"$site/fail.html" <<PAGE
<applet code=ProbeApplet codebase=classes width=50 height=40><param name=out value="$work/fail.txt"><param name=fail value=1></applet>
PAGE
viewer "$site/fail.html"
expect_rc 7 "failing init"
grep -q "asked to fail" "$work/err" || fail "failing init: no reason on stderr: $(cat "$work/err")"

# Error cases: no page argument, a page that cannot be read, no applet, no class, a bad class, no display.
timeout 30 "$java" -jar "$viewer" >/dev/null 2>"$work/err"
rc=$?
expect_rc 2 "no argument"
viewer "$site/none.html"
expect_rc 3 "missing page"
echo "<html><body><p>No applet<!-- <applet code=A> --></p></body></html>" >"$site/empty.html"
viewer "$site/empty.html"
expect_rc 4 "page without applet"
grep -q "no <APPLET>" "$work/err" || fail "page without applet: $(cat "$work/err")"
echo "<applet code=Missing.class codebase=classes width=5 height=5></applet>" >"$site/missing.html"
viewer "$site/missing.html"
expect_rc 5 "missing class"
grep -q "class Missing not found" "$work/err" || fail "missing class: $(cat "$work/err")"
# Classes that are found but cannot run, each with its reason: code, expected message.
printf 'This is no class file.\n' >"$site/classes/Text.class"
head -c 40 "$site/classes/ProbeApplet.class" >"$site/classes/Truncated.class"
while read -r code message; do
    echo "<applet code=$code codebase=classes width=5 height=5></applet>" >"$site/bad.html"
    viewer "$site/bad.html"
    expect_rc 5 "$code"
    grep -q "$message" "$work/err" || fail "$code: expected '$message': $(cat "$work/err")"
done <<CASES
Text.class class Text is not a valid class file: .*magic
Truncated class Truncated is not a valid class file: .
java.lang.String class java.lang.String is not an applet
CASES
viewer "$site/page.html" -Djava.awt.headless=true
expect_rc 6 "headless runtime"
grep -q "no display" "$work/err" || fail "headless runtime: $(cat "$work/err")"

# Hostile pages. Files that are no pages are refused at once, not read until they end.
mkfifo "$work/fifo.html"
mkdir "$work/folder.html"
for page in "$work/fifo.html" "$work/folder.html" /dev/zero; do
    viewer "$page"
    expect_rc 3 "$page"
done

# Script, style, text box, title and comment content is text: no applet, no parameter comes from it
# (one would fail to load, with 5).
cat >"$site/raw.html" <<PAGE
<script>document.write("<applet code=Missing1 width=5 height=5></applet>");</script>
<STYLE>/* <applet code=Missing2> */</STYLE ><textarea><applet code=Missing3></applet></textarea>
<title><applet code=Missing4></title><!-- <applet code=Missing5> -->
<applet code=ProbeApplet codebase=classes width=50 height=40><param name=out value="$work/raw.txt">
<script>'<param name=greeting value=scripted>'</Script><TEXTAREA><param name=unquoted value=typed></textarea>
</applet><script>unclosed <applet code=Missing6>
PAGE
viewer "$site/raw.html"
expect_rc 0 "raw text"
expect_line "param greeting=null" "$work/raw.txt"
expect_line "param unquoted=null" "$work/raw.txt"

# A value of 1.2 MB of bare "&" is read in a moment.
{
    printf '<applet code=ProbeApplet codebase=classes width=50 height=40><param name=out value="%s">' "$work/big.txt"
    printf '<param name=big value="'
    head -c 1200000 /dev/zero | tr '\0' '&'
    printf '&amp;"></applet>\n'
} >"$site/big.html"
start=$(date +%s)
viewer "$site/big.html"
expect_rc 0 "large value"
[ $(($(date +%s) - start)) -lt 10 ] || fail "large value: $(($(date +%s) - start)) s"
expect_line "big length=1200001" "$work/big.txt"

# Ten thousand applets: sixteen open, the status line and stderr say how many did not.
probe="<applet code=ProbeApplet codebase=classes width=20 height=20><param name=out value=\"$work/many.txt\">"
awk -v probe="$probe" 'BEGIN { for (i = 0; i < 10000; i++)
    print probe "<param name=stay value=1><param name=status value=1></applet>" }' >"$site/many.html"
quit=1
viewer "$site/many.html"
expect_rc 0 "many applets"
grep -q "9984 more applets of the page were not opened (16 at most)" "$work/err" || fail "many applets: $(head -c 500 "$work/err")"
[ "$(grep -c '^start$' "$work/many.txt")" = 16 ] || fail "many applets: $(grep -c '^start$' "$work/many.txt") started"
grep -q "^status=Applet started. 9984 more applets" "$work/many.txt" || fail "many applets: $(grep status= "$work/many.txt" | head -n 2)"

# An applet that blocks the event thread: closing (by quit-after-show, or by the close box) still
# ends the viewer, with 7.
for block in 1 close; do
    [ "$block" = 1 ] && quit=1 || quit=
    echo "<applet code=ProbeApplet codebase=classes width=50 height=40>
<param name=out value=\"$work/block.txt\"><param name=block value=$block></applet>" >"$site/block.html"
    viewer "$site/block.html"
    expect_rc 7 "blocked event thread ($block)"
    grep -q "blocks the event thread" "$work/err" || fail "blocked event thread ($block): $(cat "$work/err")"
done
quit=

# A server that takes the connection and never answers: the page, the archive and the class each
# give up after the timeout.
if command -v python3 >/dev/null 2>&1; then
    python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(16)
print(s.getsockname()[1]); sys.stdout.flush(); time.sleep(100)' >"$work/port" &
    server=$!
    while [ ! -s "$work/port" ] && kill -0 $server 2>/dev/null; do sleep 0.1; done
    silent="http://127.0.0.1:$(cat "$work/port")"
    viewer "$silent/page.html" -Dzarn.viewer.timeout=1000
    expect_rc 3 "silent server, page"
    echo "<applet code=ProbeApplet codebase=\"$silent/classes\" archive=probe.jar width=5 height=5></applet>" >"$site/silent.html"
    viewer "$site/silent.html" -Dzarn.viewer.timeout=1000
    expect_rc 5 "silent server, class"
    kill $server
else
    echo "python3 not found: the network timeouts are not tested"
fi

[ "$failures" = 0 ] && echo "applet viewer: all cases passed"
[ "$failures" = 0 ]
