#!/bin/sh
# Lays out the sources as .clang-format says; with --check only reports a file that differs.
set -eu
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--check" ]; then mode="--dry-run --Werror"; else mode="-i"; fi
# shellcheck disable=SC2086
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format $mode
