#!/bin/sh
# Takes the pictures of the help pages from the real program on a virtual display, so they can be
# renewed whenever a window changes: Docs/images/*.png, made small (8-bit palette).
# Installs what it needs beyond the build (xdotool, imagemagick, pngquant) when missing.
# Usage: scripts/screenshots.sh [BUILD_DIR]
# ZARN_SHOTS="main-page vector-page" takes only the pictures named (all when unset).
set -eu
cd "$(dirname "$0")/.."
if [ "${ZARN_SHOTS_INNER:-}" != 1 ]; then
    # The pictures need a little more than the build: window control, a screen grabber, a quantiser.
    missing=""
    for p in xvfb xauth xdotool imagemagick pngquant; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
        $SUDO apt-get update -qq
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
    fi
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    export ZARN_SHOTS_INNER=1 XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" ZARN_SHOTS_WORK="$work"
    unset QT_QPA_PLATFORM
    timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
    exit $?
fi

bin="$(pwd)/${1:-build}/bin/zarn"
cli="$(pwd)/${1:-build}/bin/zarn-cli"
viewerJar="$(pwd)/${1:-build}/bin/zarn-viewer.jar"
out="Docs/images"
mkdir -p "$out"
pid=""

wanted() {
    [ -z "${ZARN_SHOTS:-}" ] || case " $ZARN_SHOTS " in *" $1 "*) true ;; *) false ;; esac
}

# Starts zarn on FILE (none when empty) and waits for its main window, whose caption starts with
# CAPTION (the whole caption without a file).
start() {
    if [ -n "$1" ]; then
        "$bin" --no-splash "$1" > /dev/null 2>&1 &
        title="^$2 - ZARN\$"
    else
        "$bin" --no-splash > /dev/null 2>&1 &
        title="^$2\$"
    fi
    pid=$!
    main="$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -n 1)"
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
    wanted "$1" || return 0
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

start "" "ZARN \\(Quovelt\\)"
shoot empty-window ""
stop

start Templates/Text/Ticker.zrt Ticker
keys alt+r
shoot size-window "Applet Size"
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

# Runs TEMPLATE's applet in the ZARN applet viewer from the preview page of a document on a site of
# its own, as a user would make it, and saves its window as SHOT.
applet() {
    wanted "$2" || return 0
    name="$(basename "$1" .zrt)"
    site="$ZARN_SHOTS_WORK/site-$name"
    mkdir -p "$site"
    "$cli" new "$1" "$site/$name.zrd" --webroot "$site" --codebase "$site" > /dev/null
    "$cli" check "$site/$name.zrd" --copy --from "$(dirname "$1")" > /dev/null || true
    page="$("$cli" preview "$site/$name.zrd" --no-launch)"
    java -jar "$viewerJar" "$page" > "$ZARN_SHOTS_WORK/viewer.txt" 2>&1 &
    pid=$!
    main="$(timeout 30 xdotool search --sync --onlyvisible --name "^Applet viewer: " | head -n 1 || true)"
    if [ -z "$main" ]; then
        echo "screenshots: $name did not show: $(cat "$ZARN_SHOTS_WORK/viewer.txt")"
        stop
        return 1
    fi
    # Long enough for the pictures to load and the animations to move.
    sleep 3
    shoot "$2" ""
    stop
}

failed=0
applet Templates/Text/Ticker.zrt applet-ticker || failed=1
applet Templates/Text/Notepad.zrt applet-notepad || failed=1
applet Templates/Clocks/AnalogClock.zrt applet-clock || failed=1
applet Templates/Images/ImageFader.zrt applet-fader || failed=1
applet Templates/Vectors/Gallery.zrt applet-gallery || failed=1
applet Templates/Vectors/MenuBar.zrt applet-menubar || failed=1
applet Templates/Vectors/SlideShow.zrt applet-slideshow || failed=1
exit "$failed"
