#!/bin/sh
# Configures and builds one tree: scripts/build.sh DIR [cmake options...]
set -eu
cd "$(dirname "$0")/.."
dir="$1"; shift
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja "$@"
else
    cmake -S . -B "$dir" "$@" > /dev/null
fi
cmake --build "$dir" -j "$(nproc)"
