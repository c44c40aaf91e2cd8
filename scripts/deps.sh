#!/bin/sh
# Installs what ZARN needs to build and test on Debian, only what is missing. The Java kit builds the
# ZARN applet viewer, whose windows need the full runtime (bubblewrap is the viewer's sandbox where the
# runtime has no security manager, and is tested here); the mingw-w64 compiler, GoogleTest's
# sources and Wine serve the Windows build; lintian, man and bash-completion check the package.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev qt6-svg-dev
          libxml2-dev libzip-dev clang-14 libclang-rt-14-dev clang-format xvfb xauth
          python3 desktop-file-utils appstream dpkg-dev file lintian man-db groff-base bash-completion
          openjdk-17-jdk-headless openjdk-17-jre bubblewrap
          g++-mingw-w64-x86-64-posix googletest wine64"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
