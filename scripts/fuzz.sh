#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60),
# both at once at low priority. Corpora and crash files stay in the build folder.
#   scripts/fuzz.sh [SECONDS] [BUILD_DIR]
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-"$root/build-page-fuzz"}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWOBBIN_FUZZ=ON -DWOBBIN_CORE_ONLY=ON -DWOBBIN_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_pagefile fuzz_localise -j2

# Seeds: the shipped pages and templates, and a few HTML fragments.
mkdir -p "$build/corpus/pagefile" "$build/corpus/localise" "$build/crashes"
for f in "$root"/data/save/*.qze "$root"/data/template/*.qzt; do
    [ -f "$f" ] && cp "$f" "$build/corpus/pagefile/" || true
done
printf '<IMG SRC="graphics/a.gif"><!-- <IMG SRC=x.gif> --><BODY BACKGROUND=backgrnd/s.jpg>' \
    > "$build/corpus/localise/seed1.html"
printf '<img src="file:///C|/pics/a.gif"><img lowsrc=../b.gif src="http://x/y.gif">' \
    > "$build/corpus/localise/seed2.html"

run() {
    name=$1
    nice -n 19 "$build/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/crashes/$name-" -print_final_stats=1 \
        "$build/corpus/${name#fuzz_}" > "$build/$name.log" 2>&1
}
status=0
run fuzz_pagefile & p1=$!
run fuzz_localise & p2=$!
wait $p1 || status=1
wait $p2 || status=1
for name in fuzz_pagefile fuzz_localise; do
    echo "== $name"
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|Test unit written" "$build/$name.log" || true
done
exit $status
