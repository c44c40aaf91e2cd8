#!/bin/sh
# Every bundled template runs: for each one, makes a document on a site of its own as a user would
# (new, check --copy, preview), runs the preview page in the ZARN applet viewer on a virtual display
# and expects the applet's window to show and the viewer to report nothing else.
# Usage: samples_test.sh JAVA VIEWER_JAR ZARN_CLI TEMPLATES_DIR
set -u
java=$1 viewer=$2 cli=$3 templates=$4

if [ -z "${ZARN_UNDER_XVFB:-}" ]; then
    if ! command -v xvfb-run >/dev/null 2>&1; then
        echo "xvfb-run not found (packages xvfb xauth): the sample applets test is skipped"
        exit 77
    fi
    ZARN_UNDER_XVFB=1 exec timeout 300 xvfb-run -a sh "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for template in $(find "$templates" -name '*.zrt' | sort); do
    name=$(basename "$template" .zrt)
    site="$work/$name"
    mkdir -p "$site"
    # check --copy must leave nothing missing: the template's support files are all it needs.
    "$cli" new "$template" "$site/$name.zrd" --webroot "$site" --codebase "$site" >"$work/cli" 2>&1 &&
        "$cli" check "$site/$name.zrd" --copy --from "$(dirname "$template")" >>"$work/cli" 2>&1 ||
        fail "$name: the document or its code base: $(cat "$work/cli")"
    if ! page=$("$cli" preview "$site/$name.zrd" --no-launch 2>"$work/cli"); then
        fail "$name: no preview page: $(cat "$work/cli")"
        continue
    fi
    timeout 60 "$java" -jar "$viewer" --quit-after-show "$page" >"$work/out" 2>"$work/err"
    rc=$?
    shown=$(grep -c "^zarn-viewer: shown: " "$work/err")
    # Runtimes from 17 on warn, in lines of their own, that the sandbox's security manager is deprecated.
    others=$(grep -v -e "^zarn-viewer: shown: " -e "^WARNING: " "$work/err")
    if [ "$rc" != 0 ] || [ "$shown" != 1 ] || [ -n "$others" ]; then
        fail "$name: exit code $rc, $shown window(s) shown; the viewer said: $(cat "$work/err")"
    else
        echo "$name: $(cat "$work/err")"
    fi
done

[ "$failures" = 0 ] && echo "sample applets: every template ran"
[ "$failures" = 0 ]
