#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, or the packages
# named as arguments (the fuzz and packaging scripts name theirs); quiet and
# quick when everything is already there.
set -euo pipefail

if [ $# -gt 0 ]; then
    packages=("$@")
else
    packages=(
        build-essential cmake ninja-build pkg-config lld
        qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
        qt6-webengine-dev libqt6svg6-dev
        libudev-dev libminizip-dev zlib1g-dev libbenchmark-dev
        xvfb xauth
        umockdev libumockdev-dev help2man
    )
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
