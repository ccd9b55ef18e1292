#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian packages as a maintainer and a user's system will meet them: the binaries are
# hardened (hardening-check), a -dbgsym package holds their debug information, lintian finds no
# error, warning or information tag (every override says why), the package has no maintainer
# scripts and installs only under /usr, its metainfo, desktop entry, manual page and completions
# pass their validators and tests, and it installs beside a `cmake --install` into /usr/local
# without touching it, and removes cleanly. As root (and when no stencilor package is installed
# already) it is also installed into this machine with dpkg, run, and removed again, with the
# desktop's caches checked after each step.
# Usage: check_deb.sh PACKAGES BUILD (the folders scripts/build-deb.sh fills: its products, and
# the unpacked source with its CMake build)
set -uo pipefail
packages=$(realpath "$1")
build=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
source "$here/../check.sh"

# The tools come from scripts/install-deps.sh --test (make test-deps); only CI installs them from
# here.
missing=()
for tool in lintian hardening-check appstreamcli desktop-file-validate man dpkg-deb readelf file; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -f /usr/share/bash-completion/bash_completion ] || missing+=(bash-completion)
if [ ${#missing[@]} -gt 0 ]; then
    if [ "${CI:-}" = true ]; then
        "$top/scripts/install-deps.sh" --test
    else
        echo "check_deb.sh: missing ${missing[*]}: run 'make test-deps' first" >&2
        exit 1
    fi
fi

# Runs a test script, showing its output only when it fails.
quietly() {
    local log=$work/quiet.log
    "$@" >"$log" 2>&1 && return 0
    cat "$log" >&2
    return 1
}

deb=$(ls "$packages"/stencilor_*.deb)
dbgsym=$(ls "$packages"/stencilor-dbgsym_*.deb)
changes=$(ls "$packages"/stencilor_*.changes)
dsc=$(ls "$packages"/stencilor_*.dsc)
cmake_build=$(ls -d "$build"/stencilor-*/obj-*)
for file in "$deb" "$dbgsym" "$changes" "$dsc" "$cmake_build"; do
    check "one $(basename "$file") was built" test "$(wc -w <<<"$file")" -eq 1 -a -e "$file" || exit 1
done

# The control part: computed dependencies and the ones added by hand, no scripts.
version=$(dpkg-deb -f "$deb" Version)
check "package name" test "$(dpkg-deb -f "$deb" Package)" = stencilor
check "dependencies from dpkg-shlibdeps" grep -q 'libqt6widgets6' <<<"$(dpkg-deb -f "$deb" Depends)"
check "the window's platform plugins are a dependency" grep -qw 'qt6-qpa-plugins' <<<"$(dpkg-deb -f "$deb" Depends)"
check "the window's translations are recommended" test "$(dpkg-deb -f "$deb" Recommends)" = qt6-translations-l10n
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||; /^$/d' | sort >"$work/control.txt"
check "no maintainer scripts, only control and md5sums" diff <(printf 'control\nmd5sums\n') "$work/control.txt"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/files.txt"
check "every file under /usr, none under /usr/local" bash -c "! grep -v '^/usr/' '$work/files.txt' && ! grep '^/usr/local/' '$work/files.txt'"

root=$work/extracted
dpkg-deb -x "$deb" "$root"
dpkg-deb -x "$dbgsym" "$work/dbgsym"
bin=$root/usr/bin/stencilor
# Every ELF file: hardened as dpkg-buildflags asks (PIE, stack protector, _FORTIFY_SOURCE, full
# RELRO with BIND_NOW), stripped, its debug information in -dbgsym. Control-flow protection is
# not asked for: Debian 12's C runtime start files lack its mark, so no program linked there has it.
mapfile -t elves < <(find "$root" -type f -exec sh -c 'head -c4 "$1" | grep -q "^.ELF"' _ {} \; -print)
check "the package holds the program and its window module" test ${#elves[@]} -eq 2
for elf in "${elves[@]}"; do
    name=${elf#"$root"}
    check "hardening-check $name" quietly hardening-check --nocfprotection "$elf"
    check "$name is stripped" bash -c "! readelf -S '$elf' | grep -q '\.debug_info'"
    id=$(readelf -n "$elf" | sed -n 's/.*Build ID: *//p')
    check "the debug information of $name is in -dbgsym" \
        test -s "$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
done

# Every E, W and I tag fails, unless an override with its reason (a comment right above it, or
# above the group of overrides it belongs to) allows it; an override that no longer applies is
# itself reported.
echo "lintian:"
lintian -EvIL +pedantic --fail-on error,warning,info "$changes" "$dsc" 2>&1 |
    grep -v 'running with root privileges' | tee "$work/lintian.txt"
check "lintian reports no error, warning or information" test "${PIPESTATUS[0]}" -eq 0
for overrides in "$top"/debian/*lintian-overrides "$top"/debian/source/lintian-overrides; do
    check "every override in ${overrides#"$top"/} says why" awk '
        /^#/ { reason = 1; next }
        /^$/ { reason = 0; next }
        !reason { print FILENAME ": no reason above " $0; bad = 1 }
        END { exit bad }' "$overrides"
done

check "the package's version is the program's" test "$("$bin" --version)" = "stencilor ${version%-*}"
quietly appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
check "appstreamcli validate --no-net" test $? -eq 0
quietly desktop-file-validate "$root/usr/share/applications/stencilor.desktop"
check "desktop-file-validate" test $? -eq 0
# The software centre's screenshot is the one in docs/, at its size.
read -r width height <<<"$(file -b "$top/docs/main-window.png" | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')"
check "the metainfo's screenshot is docs/main-window.png" grep -q \
    "<image type=\"source\" width=\"$width\" height=\"$height\">https://[^<]*/docs/main-window.png</image>" \
    "$root"/usr/share/metainfo/*.metainfo.xml
check "the metainfo names the licence" grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$root"/usr/share/metainfo/*.metainfo.xml
check "Exec names /usr/bin/stencilor" grep -qx 'Exec=/usr/bin/stencilor %f' "$root/usr/share/applications/stencilor.desktop"
check "manual page" quietly bash "$here/../desktop/man_page.sh" "$bin" "$root/usr/share/man/man1/stencilor.1.gz" "$top"
check "shell completion" quietly bash "$here/../desktop/completion.sh" "$bin" \
    "$root/usr/share/bash-completion/completions/stencilor" "$root/usr/share/zsh/vendor-completions/_stencilor" \
    "$root/usr/share/fish/vendor_completions.d/stencilor.fish"

# A dpkg folder of its own holding a `cmake --install` into /usr/local from the package's own
# build: the package goes in and out beside it, and leaves every file of it as it was.
target=$work/target
mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates" "$target/var/lib/dpkg/triggers"
touch "$target/var/lib/dpkg/status"
dpkg_target() { dpkg --root="$target" --log=/dev/null --force-not-root --force-depends "$@"; }
check "cmake --install into /usr/local" quietly env DESTDIR="$target" cmake --install "$cmake_build" --prefix /usr/local
(cd "$target" && find usr/local -type f -exec md5sum {} + | sort) >"$work/local-before.txt"
check "dpkg --root installs the package" quietly dpkg_target -i "$deb"
check "the package's executable runs" test "$("$target/usr/bin/stencilor" --version)" = "stencilor ${version%-*}"
check "the /usr/local executable stays the same" test "$("$target/usr/local/bin/stencilor" --version)" = "stencilor ${version%-*}"
check "dpkg --root removes the package" quietly dpkg_target -r stencilor
(cd "$target" && find usr/local -type f -exec md5sum {} + | sort) >"$work/local-after.txt"
check "the /usr/local install is untouched" diff "$work/local-before.txt" "$work/local-after.txt"
check "nothing of the package is left" test -z "$(find "$target/usr" -path "$target/usr/local" -prune -o -type f -print)"

# This machine: only as root, and never over a stencilor package someone installed.
if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the package was installed into a dpkg --root folder only"
elif dpkg-query -W -f='${Status}' stencilor 2>/dev/null | grep -q 'ok installed'; then
    echo "a stencilor package is installed on this machine already: left alone, installed into a dpkg --root folder only"
else
    trap 'dpkg -r stencilor >/dev/null 2>&1; rm -rf "$work"' EXIT
    check "dpkg -i" quietly dpkg -i "$deb"
    check "stencilor --version" test "$(/usr/bin/stencilor --version)" = "stencilor ${version%-*}"
    cp -r /usr/share/doc/stencilor/examples/cards "$work/cards"
    check "the installed program runs the installed example" quietly bash -c "cd '$work/cards' && stencilor --run cards.ql"
    check "man finds the page" test "$(man -M /usr/share/man -w stencilor)" = /usr/share/man/man1/stencilor.1.gz
    check "bash-completion loads the completion" bash -c \
        'source /usr/share/bash-completion/bash_completion && __load_completion stencilor && complete -p stencilor >/dev/null'
    # The triggers of shared-mime-info and desktop-file-utils compiled the new files in.
    if command -v update-mime-database >/dev/null; then
        check "the MIME trigger knows *.ql" grep -q ':application/x-stencilor-project:\*\.ql$' /usr/share/mime/globs2
    fi
    if command -v update-desktop-database >/dev/null; then
        check "the desktop trigger opens projects with Stencilor" \
            grep -q '^application/x-stencilor-project=.*stencilor.desktop' /usr/share/applications/mimeinfo.cache
    fi
    check "dpkg -r" quietly dpkg -r stencilor
    check "dpkg forgot the package" bash -c "! dpkg-query -W -f='\${Status}' stencilor 2>/dev/null | grep -q installed"
    check "every file of the package is gone" test -z "$(while read -r file; do [ -e "$file" ] && echo "$file"; done <"$work/files.txt")"
    if command -v update-mime-database >/dev/null; then
        check "the MIME trigger forgot *.ql" bash -c "! grep -q 'application/x-stencilor-project' /usr/share/mime/globs2"
    fi
    if command -v update-desktop-database >/dev/null; then
        check "the desktop trigger forgot Stencilor" bash -c "! grep -q 'stencilor.desktop' /usr/share/applications/mimeinfo.cache"
    fi
fi

report_checks
