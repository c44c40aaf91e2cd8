#!/bin/sh
# Sets up, builds and shows ZARN on a bundled sample template.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh build
sample="${1:-Templates/Text/Ticker.zrt}"
exec ./build/bin/zarn-cli html "$sample" --purpose 2 --lf
