#!/bin/sh
# Builds the fuzz targets with clang into ./build-fuzz (or $FUZZ_BUILD_DIR)
# and runs each for SECONDS (default 30), one after another. Findings land
# in the build folder as crash-*, leak-* or timeout-* files; the script
# exits non-zero when any target fails. Extra arguments go to every target,
# e.g. -runs=1000000. See docs/fuzzing.md.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-30}"
[ $# -gt 0 ] && shift
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
cxx="${FUZZ_CXX:-clang++-14}"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$cxx" -DCORVANE_FUZZ=ON -DCORVANE_BUILD_TESTS=OFF \
    -DCORVANE_BUILD_BENCH=OFF
cmake --build "$build_dir" --target fuzz_targets --parallel "$(nproc)"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for target in "$build_dir"/fuzz/fuzz_*; do
    [ -x "$target" ] && [ -f "$target" ] || continue
    name=$(basename "$target")
    corpus="$build_dir/fuzz/corpus/$name"
    mkdir -p "$corpus"
    echo "== $name for ${seconds}s"
    if ! (cd "$build_dir/fuzz" && "./$name" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 "$@" \
        "corpus/$name" "seeds/$name"); then
        echo "== $name FAILED"
        status=1
    fi
done
exit $status
