#!/bin/sh
# Starts the real editor once under a virtual X display on a sample template, waits for its main
# window and closes it: once by its own flag, once by SIGTERM. Never hangs: every step has a timeout.
# Usage: scripts/gui-smoke.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
bin="${1:-build}/bin/zarn"
sample="Templates/Text/Ticker.zrt"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A private settings folder: the smoke run never touches the user's options.
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
unset QT_QPA_PLATFORM

out="$work/out.txt"
if ! timeout 60 xvfb-run -a "$bin" --no-splash --quit-after-show "$sample" > "$out" 2>"$work/err.txt"; then
    echo "gui-smoke: zarn did not start and close cleanly"; cat "$work/err.txt"; exit 1
fi
grep -q "^ZARN main window shown: Ticker - ZARN$" "$out" || { echo "gui-smoke: no main window"; cat "$out"; exit 1; }

# SIGTERM closes it as cleanly as Exit: status 0.
cat > "$work/term.sh" <<'INNER'
"$1" --no-splash "$2" > /dev/null 2>&1 &
pid=$!
sleep 3
kill -TERM "$pid"
wait "$pid"
INNER
if ! timeout 60 xvfb-run -a sh "$work/term.sh" "$bin" "$sample"; then
    echo "gui-smoke: zarn did not end cleanly on SIGTERM"; exit 1
fi
echo "gui-smoke: ok"
