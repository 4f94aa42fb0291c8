#!/usr/bin/env bash
# Makes the shipped templates (data/template/*.qzt), the example page
# (data/save/Example.qze), their pictures (.bmp) and the photos they show
# (data/HTMLFiles/graphics). Needs data/Styles.data (tools/make-styles.sh).
#   bash tools/make-templates.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-styles}"
cmake --build "$build" --target make-templates -j2
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu --disable-background-networking --disable-component-update"
"$build/tools/make-templates/make-templates" "$root/data"
