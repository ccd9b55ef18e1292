#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Python script with the first python3 that has the modules it needs: the one on PATH, or
# the system's (where the Debian packages put theirs). Exits 77 (the test is skipped) when none has.
# usage: run_with_modules.sh "MODULE..." SCRIPT [ARGUMENTS...]
modules=$1
shift
for python in python3 /usr/bin/python3; do
    if command -v "$python" >/dev/null && "$python" -c "import ${modules// /, }" 2>/dev/null; then
        exec "$python" "$@"
    fi
done
echo "SKIPPED: no python3 with the modules $modules (Debian packages python3-openpyxl and python3-odf)"
exit 77
