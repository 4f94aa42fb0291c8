#!/bin/sh
# Draws every skin picture, cursor and the page footer button into the source
# tree. Usage: tools/make-skin.sh [build-dir]   (default: build-skin)
# Also writes a contact sheet of all pictures to /tmp/skin-sheet.png.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build-skin"}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target skinpainter -j2
QT_QPA_PLATFORM=offscreen "$build/tools/skinpainter/skinpainter" "$src" --sheet /tmp/skin-sheet.png
# Generated pages link a GIF; Qt has no GIF writer, so convert the PNG.
gm convert "$src/data/HTMLFiles/graphics/button.png" "$src/data/HTMLFiles/graphics/button.gif"
rm -f "$src/data/HTMLFiles/graphics/button.png"
echo "skin written; contact sheet: /tmp/skin-sheet.png"
