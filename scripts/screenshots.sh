#!/bin/sh
# Takes the pictures of the help pages from the real program on a virtual display, so they can be
# renewed whenever a window changes: Docs/images/*.png, made small (8-bit palette).
# Needs xvfb, xauth, xdotool, imagemagick (import) and pngquant. Usage: scripts/screenshots.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
if [ "${ZARN_SHOTS_INNER:-}" != 1 ]; then
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    export ZARN_SHOTS_INNER=1 XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" ZARN_SHOTS_WORK="$work"
    unset QT_QPA_PLATFORM
    timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
    exit $?
fi

bin="$(pwd)/${1:-build}/bin/zarn"
out="Docs/images"
mkdir -p "$out"
pid=""

# Starts zarn on FILE and waits for its main window, whose caption starts with CAPTION.
start() {
    "$bin" --no-splash "$1" > /dev/null 2>&1 &
    pid=$!
    main="$(timeout 30 xdotool search --sync --onlyvisible --name "^$2 - ZARN\$" | head -n 1)"
    sleep 1
    xdotool windowfocus --sync "$main" 2> /dev/null || xdotool windowfocus "$main"
    sleep 0.3
}
stop() {
    kill -TERM "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
}
keys() {
    for key in "$@"; do xdotool key --clearmodifiers "$key"; sleep 0.4; done
    sleep 0.6
}
# Saves the window named NAME (the main window when empty) as Docs/images/SHOT.png.
shoot() {
    window="$main"
    if [ -n "$2" ]; then window="$(timeout 20 xdotool search --sync --onlyvisible --name "^$2\$" | head -n 1)"; fi
    sleep 0.5
    import -window "$window" "$ZARN_SHOTS_WORK/$1.png"
    pngquant --force --quality 60-90 --output "$out/$1.png" "$ZARN_SHOTS_WORK/$1.png" 2> /dev/null ||
        cp "$ZARN_SHOTS_WORK/$1.png" "$out/$1.png"
    echo "screenshots: $out/$1.png"
}

start Templates/Text/Ticker.zrt Ticker
shoot main-page ""
keys ctrl+Tab ctrl+Tab
shoot param-page ""
stop

start Templates/Text/Ticker.zrt Ticker
keys alt+c s
shoot html-code "HTML Code"
stop

start Templates/Text/Ticker.zrt Ticker
keys alt+f n Down Down Down Right Down Down
shoot new-dialog "New applet tag ..."
stop

start Templates/Text/Ticker.zrt Ticker
keys alt+o o
shoot options "Options"
stop

start Templates/Text/Ticker.zrt Ticker
keys alt+o p
shoot options-viewer "Options"
stop

start Templates/Vectors/Gallery.zrt Gallery
keys ctrl+Tab
shoot vector-page ""
stop

start Templates/Text/Notepad.zrt Notepad
keys ctrl+Tab alt+p
shoot memlet "Note pad text"
stop
