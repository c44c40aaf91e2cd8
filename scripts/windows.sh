#!/bin/sh
# Cross-builds the core, zarn-cli and the core tests for 64-bit Windows with mingw-w64, then runs
# the core tests under Wine. The Qt parts (memlet's window, the editor) are not built there.
set -eu
cd "$(dirname "$0")/.."

PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

build=build-win
toolchain="$PWD/cmake/mingw-w64.cmake"
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
jobs="$(nproc)"

# GoogleTest for Windows, from Debian's sources, once per build folder.
gtest="$PWD/$build/googletest-install"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" -Dgtest_disable_pthreads=ON $launcher >/dev/null
    cmake --build "$build/googletest" -j "$jobs"
    cmake --install "$build/googletest" >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZARN_GUI=OFF -DZARN_BENCH=OFF \
    -DZARN_WERROR=ON -DGTest_DIR="$gtest/lib/cmake/GTest" $launcher >/dev/null
cmake --build "$build" -j "$jobs" --target zarn-cli zarn_core_tests

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINEPREFIX="${WINEPREFIX:-$PWD/$build/wineprefix}"
export WINEPREFIX WINEDEBUG=-all
skip=$(grep -v '^#' scripts/windows-known-failures.txt | paste -sd: -)
# One run of the whole binary: a start of Wine per test would cost far more than the tests.
GTEST_FILTER="-$skip" "$wine" "$build/bin/zarn_core_tests.exe" --gtest_brief=1
"$wine" "$build/bin/zarn-cli.exe" --help >/dev/null
