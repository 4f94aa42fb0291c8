#!/usr/bin/env bash
# Installs what is needed, builds the program, and starts Wobbin Express.
# Arguments are passed on (a page file to open, --data-dir DIR, --debug).
# Without a display it runs the program under xvfb-run and says so.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target wobbin-express -j "$(nproc)"
prog="$root/build/bin/wobbin-express"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Wobbin Express under xvfb-run (a virtual screen)."
    echo "Nothing will be visible. Stop it with Ctrl+C (the program ends in order)."
    echo "To see the window, run this on a desktop session, or: $prog"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$prog" "$@"
fi
exec "$prog" "$@"
