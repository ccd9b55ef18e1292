#!/usr/bin/env bash
# Installs the Debian packages that building and testing stencilor needs, when they are missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev
    qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
    libicu-dev libarchive-dev
    libcli11-dev
    libgtest-dev libgmock-dev
    libbenchmark-dev
    python3
    clang libclang-rt-14-dev llvm util-linux time
    desktop-file-utils shared-mime-info
    chromium
    help2man man-db bash-completion zsh fish
    dpkg-dev file lintian appstream
)

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
