#!/bin/sh
# Builds the fuzz targets for libFuzzer with clang (AddressSanitizer and UBSan)
# and runs each for SECONDS (default 180), two at a time at low priority. Each
# starts from its committed seeds (fuzz/corpus/<name>/) and a working corpus in
# the build folder, which keeps growing from run to run; inputs that find a
# fault are written to BUILD_DIR/crashes/. Put one into fuzz/corpus/<name>/
# once the fault is mended, so that the tests run it from then on.
#   scripts/fuzz.sh [SECONDS] [BUILD_DIR] [TARGET...]     (TARGET: fuzz_pagefile ...)
set -eu
seconds=${1:-180}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-"$root/build-fuzz"}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] && shift
if [ $# -gt 0 ]; then
    targets="$*"
else
    targets=$(cd "$root/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWOBBIN_FUZZ=ON -DWOBBIN_CORE_ONLY=ON -DWOBBIN_BENCH=OFF -DWOBBIN_TESTS=OFF -DWOBBIN_TOOLS=OFF >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" --target $targets -j2

mkdir -p "$build/crashes"
run() {
    name=$1
    corpus="$build/corpus/${name#fuzz_}"
    mkdir -p "$corpus"
    cp "$root/fuzz/corpus/${name#fuzz_}/"* "$corpus/" 2>/dev/null || true
    nice -n 19 "$build/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/crashes/$name-" -print_final_stats=1 \
        "$corpus" > "$build/$name.log" 2>&1
}
report() {
    name=$1
    log="$build/$name.log"
    echo "== $name"
    grep -E "^#[0-9]+ +DONE" "$log" | tail -1 || true
    grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb" "$log" || true
    echo "corpus: $(ls "$build/corpus/${name#fuzz_}" | wc -l) inputs, $(du -sk "$build/corpus/${name#fuzz_}" | cut -f1) KiB"
    grep -E "ERROR|SUMMARY|Test unit written|deadly signal" "$log" || echo "no fault found"
}

status=0
set -- $targets
while [ $# -gt 0 ]; do
    first=$1; shift
    run "$first" & p1=$!
    p2=
    if [ $# -gt 0 ]; then
        second=$1; shift
        run "$second" & p2=$!
    fi
    wait $p1 || status=1
    report "$first"
    if [ -n "$p2" ]; then
        wait $p2 || status=1
        report "$second"
    fi
done
exit $status
