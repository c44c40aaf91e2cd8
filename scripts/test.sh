#!/bin/sh
# Sets up, builds and runs every test: the normal build, the sanitizer build, and the fuzz smoke runs.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

# The sources stay as .clang-format lays them out (the "format" target applies it).
echo "== format check"
sh scripts/format.sh --check

echo "== build and test"
sh scripts/build.sh build -DZARN_WERROR=ON -DZARN_GUI=ON -DZARN_BENCH=ON
ctest --test-dir build --output-on-failure -j "$jobs"

# The real program once on a virtual display: starts on a sample, shows its window, closes cleanly.
echo "== editor smoke run under Xvfb"
sh scripts/gui-smoke.sh build

# What a user installs: desktop files validate, a staged install runs, the .deb builds.
echo "== install check"
sh scripts/install-check.sh build

echo "== sanitizer build (ASan+UBSan) and test"
sh scripts/build.sh build-asan -DZARN_WERROR=ON -DZARN_SANITIZE=ON -DZARN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ -d fuzz ] && [ -f fuzz/CMakeLists.txt ]; then
    echo "== fuzz smoke runs"
    sh scripts/fuzz.sh smoke
fi

echo "== Windows build (mingw-w64) and core tests under Wine"
sh scripts/windows.sh
