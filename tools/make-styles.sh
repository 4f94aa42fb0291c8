#!/usr/bin/env bash
# Makes the shipped styles: data/Styles.data and the background tiles in
# data/HTMLFiles/backgrnd. The painter is deterministic; JPEG tiles are
# written by GraphicsMagick at a fixed quality, the GIF with a fixed palette
# size, so the checked-in files can be made again at any time:
#   bash tools/make-styles.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-styles}"
cmake --build "$build" --target make-styles -j2
out="$root/data/HTMLFiles/backgrnd"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
"$build/tools/make-styles/make-styles" "$tmp"
mkdir -p "$out"
for png in "$tmp"/HTMLFiles/backgrnd/*.png; do
    name="$(basename "$png" .png)"
    if [ "$name" = stars ]; then
        gm convert "$png" +dither -colors 128 "GIF:$out/$name.gif"
    else
        gm convert "$png" -strip -quality 88 -sampling-factor 1x1 "JPEG:$out/$name.jpg"
    fi
done
cp "$tmp/Styles.data" "$root/data/Styles.data"
echo "styles written to $root/data"
