#!/bin/sh
# Cross-builds the core, zarn-cli and the core tests for 64-bit Windows with mingw-w64, then runs
# the core tests under Wine. The Qt parts (memlet's window, the editor) are not built there: Debian
# has no Qt for mingw. Packages come from scripts/deps.sh.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh

build="${ZARN_WIN_BUILD:-build-win}"
# A folder given by its full name stays where it is named.
case $build in /*) ;; *) build="$PWD/$build" ;; esac
toolchain="$PWD/cmake/mingw-w64.cmake"
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
jobs="${ZARN_JOBS:-2}"

# GoogleTest for Windows, from Debian's sources, once per build folder.
gtest="$build/googletest-install"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" -Dgtest_disable_pthreads=ON $launcher >/dev/null
    cmake --build "$build/googletest" -j "$jobs"
    cmake --install "$build/googletest" >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZARN_GUI=OFF -DZARN_BENCH=OFF \
    -DZARN_WERROR=ON -DGTest_DIR="$gtest/lib/cmake/GTest" $launcher >/dev/null
cmake --build "$build" -j "$jobs" --target zarn-cli zarn_core_tests

# Debian keeps the 64-bit loader off PATH.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
WINEPREFIX="$build/wineprefix"
export WINEPREFIX WINEDEBUG=-all
# The prefix is made once; a run that hangs is cut off rather than holding up the whole CI run.
timeout 300 "$wine" wineboot --init >/dev/null 2>&1 || true
# One run of the whole binary: a start of Wine per test would cost far more than the tests.
status=0
timeout 600 "$wine" "$build/bin/zarn_core_tests.exe" --gtest_brief=1 || status=$?
timeout 60 "$wine" "$build/bin/zarn-cli.exe" --help >/dev/null || status=$?
timeout 60 "$wineserver" -k >/dev/null 2>&1 || true
exit $status
