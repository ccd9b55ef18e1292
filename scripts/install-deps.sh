#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages stencilor needs, when they are missing.
#   install-deps.sh          what building and running the program needs (make deps, make demo)
#   install-deps.sh --test   that and what the tests, the fuzz programs, the Debian package and
#                            the benchmarks need (make test-deps, make test)
set -euo pipefail

program=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev
    qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
    qt6-translations-l10n
    libicu-dev libarchive-dev libexpat1-dev libxxhash-dev
    libcli11-dev
)

# Qt Test comes with qt6-base-dev, above.
testing=(
    libgtest-dev libgmock-dev
    libbenchmark-dev
    python3 python3-yaml python3-jsonschema python3-openpyxl python3-odf parallel
    clang libclang-rt-14-dev llvm util-linux time
    desktop-file-utils shared-mime-info
    chromium
    man-db bash-completion zsh fish
    xvfb xauth openbox xdotool x11-utils
    dpkg-dev debhelper devscripts file lintian appstream
    gettext-base
)

packages=("${program[@]}")
case "${1:-}" in
    "") ;;
    --test) packages+=("${testing[@]}") ;;
    *)
        echo "usage: install-deps.sh [--test]" >&2
        exit 64
        ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
