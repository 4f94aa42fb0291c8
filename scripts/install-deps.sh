#!/usr/bin/env bash
# Installs the Debian packages this project needs to build, run and test.
# Idempotent: when everything is already present it only checks and returns.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mapfile -t pkgs < <(grep -v -E '^\s*(#|$)' "$here/debian-packages.txt")

missing=()
for p in "${pkgs[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

# Installing apache2 may start the system's web server on port 80: the tests
# start one of their own, so the system's is stopped again.
if printf '%s\n' "${missing[@]}" | grep -qx apache2; then
    $SUDO service apache2 stop >/dev/null 2>&1 || true
fi
