#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source package and the binary packages from this tree, as a maintainer does
# from a release: the tree without debian/ and without build outputs becomes the upstream tarball
# stencilor_VERSION.orig.tar.xz, debian/ the Debian part; `dpkg-source -b` makes the source
# package and `dpkg-buildpackage -us -uc -b` builds it, with the flags dpkg-buildflags gives.
# The products (.deb, -dbgsym .deb, .changes, .buildinfo, .dsc and its tarballs) go into
# build/deb/; the unpacked source and its CMake build stay in build/deb-build/.
# usage: build-deb.sh [JOBS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${1:-$(nproc)}
cd "$top"

version=$(dpkg-parsechangelog -S Version)
# The files of the upstream tarball carry the date of the changelog entry, as the package's do.
timestamp=$(dpkg-parsechangelog -S Timestamp)
upstream=${version%-*}
source=stencilor-$upstream
out=$top/build/deb
work=$top/build/deb-build
rm -rf "$out" "$work"
mkdir -p "$out" "$work"

# The files of the tree: those git knows or would take (ignored build outputs left out), or,
# outside a git checkout, everything but build/.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done
else
    find . -path ./build -prune -o -path ./.git -prune -o ! -type d -printf '%P\0'
fi | grep -zv '^debian/' |
    tar --null -T - --sort=name --owner=0 --group=0 --numeric-owner --mtime=@"$timestamp" \
        --transform "s,^,$source/," -cJf "$work/stencilor_$upstream.orig.tar.xz"

tar -xf "$work/stencilor_$upstream.orig.tar.xz" -C "$work"
cp -a debian "$work/$source/"
(cd "$work" && dpkg-source -b "$source")
(cd "$work/$source" && dpkg-buildpackage -us -uc -b -J"$jobs")

for product in "$work"/*.{deb,changes,buildinfo,dsc,tar.xz}; do
    cp -a "$product" "$out/"
done
echo "Packages in $out:"
ls "$out"
