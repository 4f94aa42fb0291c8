#!/bin/sh
# Draws the desktop icons (application, page files, template files) into
# desktop/icons/hicolor: PNG files from 16 to 512 pixels and a scalable SVG
# each. Usage: tools/make-icons.sh [build-dir]   (default: build-skin)
# Also writes a contact sheet of every size to /tmp/icon-sheet.png when
# ImageMagick is at hand.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build-skin"}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target skinpainter -j2
theme="$src/desktop/icons/hicolor"
rm -rf "$theme"
QT_QPA_PLATFORM=offscreen "$build/tools/skinpainter/skinpainter" --icons "$theme"
if command -v convert >/dev/null 2>&1; then
    rows=""
    for svg in "$theme"/scalable/*/*.svg; do
        name=$(basename "$svg" .svg)
        context=$(basename "$(dirname "$svg")")
        row=$(mktemp --suffix=.png)
        convert -background '#dddddd' $(ls "$theme"/*x*/"$context/$name.png" | sort -t/ -k1V) +append "$row"
        rows="$rows $row"
    done
    convert -background '#dddddd' $rows -append /tmp/icon-sheet.png
    rm -f $rows
    echo "contact sheet: /tmp/icon-sheet.png"
fi
echo "icons written to $theme"
