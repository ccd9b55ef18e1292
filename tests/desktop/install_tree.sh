#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built tree into a temporary prefix, as `cmake --install BUILD --prefix P` does for
# a user, and checks that a desktop would pick it up: the executable, a valid desktop entry that
# names it, the icons in every size, ".ql" files known as "Stencilor project" files opened by
# Stencilor, and the manual page, completions, metainfo, copyright and examples beside them. The
# install writes no file that it does not list in install_manifest.txt (no desktop database), so
# removing the listed files leaves nothing behind.
# Usage: install_tree.sh BUILD_FOLDER
set -euo pipefail

build=$1
prefix=$(mktemp -d /tmp/stencilor-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The build's install_manifest.txt lists a user's own install: it is put back afterwards.
manifest=$build/install_manifest.txt
[ -f "$manifest" ] && cp "$manifest" "$prefix.manifest"
restore_manifest() {
    if [ -f "$prefix.manifest" ]; then mv "$prefix.manifest" "$manifest"; else rm -f "$manifest"; fi
}
"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    restore_manifest
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "FAIL: cmake --install" >&2
    exit 1
}
rm -f "$prefix.log"
cp "$manifest" "$prefix.installed"
restore_manifest
trap 'rm -rf "$prefix" "$prefix.installed"' EXIT
share=$prefix/share

[ -x "$prefix/bin/stencilor" ] || fail "no executable in bin"
"$prefix/bin/stencilor" --version >/dev/null || fail "the installed executable does not run"
# The window is a module the installed executable finds relative to its own folder; the window
# stays open until it is closed, here by the timeout (124).
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/stencilor" >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the installed executable does not open its window (exit $status)"

entry=$share/applications/stencilor.desktop
if [ -f "$entry" ]; then
    grep -qx "Exec=$prefix/bin/stencilor %f" "$entry" || fail "Exec does not name the installed executable: $(grep '^Exec=' "$entry")"
    grep -qx "Icon=stencilor" "$entry" || fail "desktop entry without the icon"
    grep -qx "MimeType=application/x-stencilor-project;" "$entry" || fail "desktop entry does not open projects"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" || fail "desktop-file-validate"
    else
        echo "desktop-file-validate not installed: desktop entry not validated"
    fi
else
    fail "no desktop entry"
fi

# PNG width and height from the IHDR chunk (bytes 16 to 23, big-endian).
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
for size in 16 22 24 32 48 64 128 256 512; do
    for icon in apps/stencilor.png mimetypes/application-x-stencilor-project.png; do
        file=$share/icons/hicolor/${size}x${size}/$icon
        if [ ! -f "$file" ]; then
            fail "missing icon $file"
        elif [ "$(png_size "$file")" != "${size}x${size}" ]; then
            fail "$file is $(png_size "$file"), not ${size}x${size}"
        fi
    done
done

for file in icons/hicolor/scalable/apps/stencilor.svg icons/hicolor/scalable/mimetypes/application-x-stencilor-project.svg \
    man/man1/stencilor.1.gz bash-completion/completions/stencilor zsh/vendor-completions/_stencilor \
    fish/vendor_completions.d/stencilor.fish metainfo/org.stencilor.Stencilor.metainfo.xml doc/stencilor/copyright; do
    [ -s "$share/$file" ] || fail "missing $share/$file"
done

package=$share/mime/packages/stencilor.xml
[ -f "$package" ] || fail "no MIME package"
grep -q '<glob pattern="\*\.ql"/>' "$package" || fail "the MIME type does not claim *.ql"
grep -q '<comment>Stencilor project</comment>' "$package" || fail "the MIME type is not described as a Stencilor project"
[ -s "$share/doc/stencilor/examples/cards/cards.ql" ] || fail "the examples are not installed"

# The install leaves the desktop's databases to whoever owns them; compiled from a copy, the MIME
# package and the desktop entry make .ql files Stencilor projects opened by Stencilor.
for database in mime/globs2 mime/mime.cache applications/mimeinfo.cache icons/hicolor/icon-theme.cache; do
    [ ! -e "$share/$database" ] || fail "the install wrote $database, which no uninstall removes"
done
if command -v update-mime-database >/dev/null; then
    cp -r "$share/mime" "$prefix/mime-copy"
    update-mime-database "$prefix/mime-copy" >/dev/null 2>&1 || fail "update-mime-database"
    grep -qx '50:application/x-stencilor-project:\*\.ql' "$prefix/mime-copy/globs2" || fail "*.ql is not in the compiled MIME database"
    rm -rf "$prefix/mime-copy"
fi
if command -v update-desktop-database >/dev/null; then
    cp -r "$share/applications" "$prefix/applications-copy"
    update-desktop-database "$prefix/applications-copy" || fail "update-desktop-database"
    grep -qx 'application/x-stencilor-project=stencilor.desktop;' "$prefix/applications-copy/mimeinfo.cache" ||
        fail "Stencilor is not the application for its projects in mimeinfo.cache"
    rm -rf "$prefix/applications-copy"
fi

# Removing what install_manifest.txt lists leaves no file.
xargs -d '\n' rm -f <"$prefix.installed"
left=$(find "$prefix" ! -type d)
[ -z "$left" ] || fail "removing the files of install_manifest.txt leaves $left"

[ "$failures" -eq 0 ] || exit 1
echo "install tree OK"
