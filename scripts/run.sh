#!/bin/sh
# Sets up, builds and starts the ZARN editor on a bundled sample template (or the file given).
# Builds only the editor and its text plug-in, in a tree of its own, so it is quick from a fresh clone.
# Without a display it starts under a virtual one when xvfb-run exists (the window is not seen
# then: use it for a check), or else prints the sample's applet block with zarn-cli.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sample="${1:-Templates/Text/Ticker.zrt}"
if [ ! -f build-run/CMakeCache.txt ]; then
    launcher=""
    command -v ccache > /dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    # shellcheck disable=SC2086
    cmake -S . -B build-run -G Ninja -DZARN_GUI=ON -DZARN_TESTS=OFF -DZARN_BENCH=OFF $launcher > /dev/null
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    cmake --build build-run --target zarn memlet -j "$(nproc)"
    exec ./build-run/bin/zarn "$sample"
fi
echo "run.sh: no display (DISPLAY is not set)."
if command -v xvfb-run > /dev/null 2>&1 && [ "${ZARN_RUN_CLI:-}" != 1 ]; then
    cmake --build build-run --target zarn memlet -j "$(nproc)"
    echo "Starting the editor on a virtual display, closing it once its window shows."
    echo "(ZARN_RUN_CLI=1 prints the applet block instead; on a desktop, run this script there.)"
    exec xvfb-run -a ./build-run/bin/zarn --no-splash --quit-after-show "$sample"
fi
cmake --build build-run --target zarn-cli -j "$(nproc)"
echo "Printing the applet block of $sample instead:"
exec ./build-run/bin/zarn-cli html "$sample" --purpose 2 --lf
