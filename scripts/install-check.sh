#!/bin/sh
# Checks what an installation gives a user: the desktop files validate, a staged install (DESTDIR),
# moved elsewhere afterwards, runs zarn-cli on its own templates and plug-in and starts zarn under
# Xvfb; a Release build (DEB_BUILD_DIR, the one extra build) makes the Debian package, which
# lintian must pass and which, unpacked, gives the manual pages and the completion. Every step has
# a timeout.
# Usage: scripts/install-check.sh [BUILD_DIR [DEB_BUILD_DIR]]   (BUILD_DIR holds zarn, zarn-cli, memlet)
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
debbuild="${2:-build-deb}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "install-check: $*"; exit 1; }

echo "== desktop files"
desktop-file-validate data/org.zarn.Zarn.desktop || fail "the .desktop file does not validate"
timeout 60 appstreamcli validate --no-net data/org.zarn.Zarn.metainfo.xml || fail "the metainfo file does not validate"

echo "== staged install"
DESTDIR="$work/stage" timeout 120 cmake --install "$build" > "$work/install.txt" || { cat "$work/install.txt"; fail "cmake --install failed"; }
prefix="$(cmake -L -N "$build" 2>/dev/null | sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p')"
# Moved after installing: the programs find their files from their own folder, not from the prefix.
mv "$work/stage$prefix" "$work/moved"
root="$work/moved"
for f in bin/zarn bin/zarn-cli share/zarn/Templates/Text/Ticker.zrt share/zarn/Docs/index.html share/zarn/Docs/applets/Ticker.html \
         share/applications/org.zarn.Zarn.desktop share/mime/packages/org.zarn.Zarn.xml \
         share/metainfo/org.zarn.Zarn.metainfo.xml share/icons/hicolor/scalable/apps/org.zarn.Zarn.svg \
         share/icons/hicolor/48x48/apps/org.zarn.Zarn.png share/man/man1/zarn.1.gz share/man/man1/zarn-cli.1.gz \
         share/bash-completion/completions/zarn-cli share/doc/zarn/copyright share/doc/zarn/changelog.gz; do
    [ -e "$root/$f" ] || fail "$f is not installed"
done
ls "$root"/lib*/zarn/memlet.so "$root"/lib/*/zarn/memlet.so 2>/dev/null | grep -q . || fail "memlet is not installed"

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
cli="$root/bin/zarn-cli"
timeout 30 "$cli" templates > "$work/templates.txt" || fail "zarn-cli templates failed"
grep -q "Ticker  \[Text/Ticker.zrt\]" "$work/templates.txt" || { cat "$work/templates.txt"; fail "installed templates not listed"; }
timeout 30 "$cli" html --lf "$root/share/zarn/Templates/Text/Ticker.zrt" > "$work/ticker.html" || fail "zarn-cli html failed"
grep -q '^<APPLET CODE="Ticker.class"' "$work/ticker.html" || { cat "$work/ticker.html"; fail "no applet block"; }
# A template with a plug-in parameter loads memlet from the installed plug-in folder.
timeout 30 "$cli" html --lf "$root/share/zarn/Templates/Text/Notepad.zrt" > "$work/notepad.html" 2> "$work/notepad.err" ||
    { cat "$work/notepad.err"; fail "zarn-cli did not load the installed memlet"; }

echo "== installed zarn under Xvfb"
unset QT_QPA_PLATFORM
timeout 60 xvfb-run -a "$root/bin/zarn" --no-splash --quit-after-show "$root/share/zarn/Templates/Text/Ticker.zrt" \
    > "$work/gui.txt" 2> "$work/gui.err" || { cat "$work/gui.err"; fail "installed zarn did not start and close"; }
grep -q "^ZARN main window shown: Ticker - ZARN$" "$work/gui.txt" || { cat "$work/gui.txt"; fail "no main window"; }
timeout 30 "$root/bin/zarn" --version | grep -q "^zarn [0-9]" || fail "zarn gives no version"

echo "== Debian package from a Release build"
launcher=""
command -v ccache > /dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
# No -Werror here: warnings are errors in the test build, and at -O3 g++ 12 gives false
# -Wrestrict ones inside std::string.
timeout 1800 sh scripts/build.sh "$debbuild" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DZARN_GUI=ON -DZARN_TESTS=OFF -DZARN_BENCH=OFF -DZARN_WERROR=OFF $launcher > "$work/debbuild.txt" 2>&1 ||
    { tail -n 50 "$work/debbuild.txt"; fail "the Release build failed"; }
(cd "$debbuild" && timeout 300 cpack -G DEB -B "$work/deb" > "$work/cpack.txt" 2>&1) || { cat "$work/cpack.txt"; fail "cpack -G DEB failed"; }
deb="$(ls "$work"/deb/zarn_*.deb 2>/dev/null | head -n 1)"
[ -n "$deb" ] || { cat "$work/cpack.txt"; fail "no .deb made"; }
dpkg-deb -c "$deb" > "$work/deb.txt"
for f in ./usr/bin/zarn ./usr/bin/zarn-cli ./usr/share/zarn/Docs/index.html ./usr/share/applications/org.zarn.Zarn.desktop \
         ./usr/share/man/man1/zarn-cli.1.gz ./usr/share/bash-completion/completions/zarn-cli; do
    grep -q " $f\$" "$work/deb.txt" || fail "$f is not in the package"
done
grep -q "/zarn/memlet.so$" "$work/deb.txt" || fail "memlet is not in the package"
dpkg-deb -f "$deb" Depends | grep -q libqt6 || fail "the package names no Qt dependency"
dpkg-deb -f "$deb" Depends | grep -q libxml2 || fail "the package does not name the HTML parser"
dpkg-deb -f "$deb" Depends | grep -q libzip || fail "the package does not name the zip library"
# Every error and warning fails; overrides (with their reasons) are in data/debian/lintian-overrides.
timeout 600 lintian --fail-on error,warning --tag-display-limit 0 "$deb" > "$work/lintian.txt" 2>&1 ||
    { cat "$work/lintian.txt"; fail "lintian found faults in the package"; }

# The package unpacked as on a clean system: its manual page shows, its programs answer.
dpkg-deb -x "$deb" "$work/system"
MANPATH="$work/system/usr/share/man" MANWIDTH=80 timeout 30 man zarn-cli > "$work/man.txt" 2>&1 || { cat "$work/man.txt"; fail "man zarn-cli failed"; }
grep -q "import PAGE DOCUMENT" "$work/man.txt" || { cat "$work/man.txt"; fail "the manual page of zarn-cli is incomplete"; }
timeout 30 "$work/system/usr/bin/zarn-cli" --version | grep -q "^zarn-cli " || fail "the packaged zarn-cli gives no version"
echo "install-check: ok ($(basename "$deb"))"
