#!/usr/bin/env bash
# Installs the built tree into a temporary prefix, as `cmake --install BUILD --prefix P` does for
# a user, and checks that a desktop would pick it up: the executable, a valid desktop entry that
# names it, the icons in every size, ".ql" files known as "Stencilor project" files opened by
# Stencilor, and the manual page, completions, metainfo and copyright beside them.
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

"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "FAIL: cmake --install" >&2
    exit 1
}
rm -f "$prefix.log"
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
# Installing in place compiles the MIME and application databases of the prefix.
if command -v update-mime-database >/dev/null; then
    grep -qx '50:application/x-stencilor-project:\*\.ql' "$share/mime/globs2" || fail "*.ql is not in the compiled MIME database"
fi
if command -v update-desktop-database >/dev/null; then
    grep -qx 'application/x-stencilor-project=stencilor.desktop;' "$share/applications/mimeinfo.cache" ||
        fail "Stencilor is not the application for its projects in mimeinfo.cache"
fi

[ "$failures" -eq 0 ] || exit 1
echo "install tree OK"
