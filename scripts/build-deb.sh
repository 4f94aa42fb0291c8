#!/usr/bin/env bash
# Builds the Debian package of Wobbin Express with Debian's own tools
# (dpkg-buildpackage, debhelper) from the working tree, and checks it with
# lintian.
#
#   bash scripts/build-deb.sh [output-folder]     (default: build-deb/)
#
# The tree is copied to a folder of its own first, so the build leaves the
# working tree untouched. The package and lintian's report (lintian.txt) end
# up in the output folder. Install the result with
#   sudo apt-get install ./build-deb/wobbin-express_1.07_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build-deb}" && cd "${1:-$root/build-deb}" && pwd)"
jobs="${JOBS:-$(nproc)}"

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# The packaging tools, then the package's own build dependencies.
need=()
for p in dpkg-dev debhelper fakeroot lintian; do
    dpkg-query -W -f '${Status}' "$p" 2>/dev/null | grep -q "ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi
if ! dpkg-checkbuilddeps "$root/debian/control" 2>/dev/null; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get build-dep -y "$root"
fi

# A copy of the working tree (tracked files and new ones, without what git ignores).
version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
tree="$work/wobbin-express-$version"
mkdir -p "$tree"
(cd "$root" && git ls-files -z --cached --others --exclude-standard \
    | while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done \
    | xargs -0 cp --parents -t "$tree")

# A compiler cache speeds up a rebuild (debhelper gives the build a home of its own).
if command -v ccache >/dev/null 2>&1 && [ -z "${CCACHE_DIR:-}" ]; then
    export CCACHE_DIR="${XDG_CACHE_HOME:-$HOME/.cache}/ccache"
fi

(cd "$tree" && dpkg-buildpackage -b -us -uc -j"$jobs")

changes="$(ls "$work"/wobbin-express_"$version"_*.changes)"
set +e
lintian --info --display-info --pedantic "$changes" >"$work/lintian.txt" 2>&1
lintian_status=$?
set -e
cp "$work"/*.deb "$work"/*.buildinfo "$changes" "$out"/
cp "$work/lintian.txt" "$out/lintian.txt"
echo "== lintian"
cat "$out/lintian.txt"
echo "== package"
ls -l "$out"/*.deb
if [ "$lintian_status" -ne 0 ]; then
    echo "build-deb: lintian reports errors (see $out/lintian.txt)" >&2
    exit 1
fi
