#!/bin/sh
# Builds the libFuzzer targets with clang and runs them.
#   scripts/fuzz.sh smoke          each target over its starting corpus plus a fixed number of runs
#   scripts/fuzz.sh long SECONDS   each target for SECONDS on a scratch copy of its corpus
#   scripts/fuzz.sh build          only the build
# FUZZ_TARGETS limits the targets ("fuzz_profile fuzz_paths"); FUZZ_DIR moves the build tree;
# FUZZ_ARGS adds libFuzzer flags to long runs ("-len_control=0 -max_len=1048576" for big inputs).
set -eu
cd "$(dirname "$0")/.."
mode="${1:-smoke}"
dir="${FUZZ_DIR:-build-fuzz}"
targets="${FUZZ_TARGETS:-fuzz_profile fuzz_document fuzz_paths fuzz_cli fuzz_page fuzz_archive fuzz_classfile}"
# fuzz_cli works inside its private folder: every path handed to libFuzzer is absolute.
root="$(pwd)"
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac

if [ ! -f "$dir/CMakeCache.txt" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja -DZARN_FUZZ=ON -DZARN_GUI=OFF \
        -DZARN_TESTS=OFF -DZARN_BENCH=OFF -DZARN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# shellcheck disable=SC2086
cmake --build "$dir" -j "$(nproc)" --target $targets fuzzstub
[ "$mode" = build ] && exit 0

# Each target keeps its files in a private folder under TMPDIR; memory is faster than the disk
# for the many small atomic writes the targets make.
scratch_root="$(mktemp -d "${FUZZ_TMP:-/dev/shm}/zarn-fuzz.XXXXXX" 2>/dev/null || mktemp -d)"
trap 'rm -rf "$scratch_root"' EXIT INT TERM
export TMPDIR="$scratch_root"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

max_len() {
    case "$1" in
        fuzz_profile|fuzz_document) echo 65536 ;;
        *) echo 4096 ;;
    esac
}

run_target() {
    target="$1"; shift
    dict=""
    [ -f "fuzz/dict/$target.dict" ] && dict="-dict=$root/fuzz/dict/$target.dict"
    # shellcheck disable=SC2086
    "$dir/bin/$target" -rss_limit_mb=2048 -timeout=10 -max_len="$(max_len "$target")" \
        -print_final_stats=1 $dict "$@"
}

case "$mode" in
    smoke)
        for target in $targets; do
            echo "== $target"
            # The starting corpus alone, then a few seconds of mutation; new finds stay in the scratch folder.
            work="$scratch_root/corpus-$target"
            mkdir -p "$work"
            mkdir -p "$dir/findings/$target"
            run_target "$target" -runs=2000 -max_total_time=20 -artifact_prefix="$dir/findings/$target/" \
                "$work" "$root/fuzz/corpus/$target"
        done
        ;;
    long)
        seconds="${2:?long needs a number of seconds}"
        for target in $targets; do
            echo "== $target for $seconds s"
            work="$dir/corpus/$target"
            mkdir -p "$work"
            cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
            mkdir -p "$dir/findings/$target"
            # shellcheck disable=SC2086
            run_target "$target" -max_total_time="$seconds" -artifact_prefix="$dir/findings/$target/" \
                ${FUZZ_ARGS:-} "$work" 2>&1 | tee "$dir/$target.log"
        done
        ;;
    *)
        echo "usage: scripts/fuzz.sh smoke | long SECONDS | build" >&2
        exit 2
        ;;
esac
