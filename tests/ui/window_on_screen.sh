#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window on a real X server with a window manager (Xvfb and openbox): on each screen below,
# maximized as it starts and restored (Super+Down), the whole window, title bar and frame
# included, lies on the screen, and a screenshot of each is kept beside the test.
# Screens: 1920 x 1080 at 200 % scaling (QT_SCALE_FACTOR=2), 1366 x 768 and 1024 x 768.
# Usage: window_on_screen.sh STENCILOR SCREENSHOT_FOLDER
# Exits 77 (skipped) when Xvfb, openbox, xdotool, xwininfo or xprop is missing.
set -uo pipefail
bin=$(realpath "$1")
shots=$2
source "$(dirname "$0")/../check.sh"

for tool in xvfb-run Xvfb openbox xdotool xwininfo xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing (apt-get install xvfb xauth openbox xdotool x11-utils)"
        exit 77
    fi
done
mkdir -p "$shots"

# Runs on the X server that xvfb-run started: prints "STATE LEFT TOP RIGHT BOTTOM" for the window's
# frame, once maximized and once restored, and saves the screenshots.
inner=$(cat <<'EOF'
bin=$1 shot=$2
# Super+Down restores a maximized window, as on the common desktops.
cat >"$HOME/rc.xml" <<'RC'
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard><keybind key="W-Down"><action name="Unmaximize"/></keybind></keyboard>
</openbox_config>
RC
openbox --config-file "$HOME/rc.xml" >"$HOME/openbox.log" 2>&1 &
# The window manager runs before the window maps: a window mapped earlier is adopted without the
# focus, and the key below would act on nothing.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && break
    sleep 0.2
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' ||
    { echo "no window manager" >&2; cat "$HOME/openbox.log" >&2; exit 1; }
"$bin" >"$HOME/app.log" 2>&1 &
app=$!
# The window is named after the start-up project once it has loaded it. A window that goes while
# the search looks at it (the splash) ends that search with BadWindow: the next one looks again.
window=
for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^New-.* — Stencilor ' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || { echo "no window" >&2; cat "$HOME/app.log" >&2; exit 1; }
maximized() { xprop -id "$window" _NET_WM_STATE | grep -q MAXIMIZED_VERT; }
# The window's state and frame once the window manager shows it in state $1 (or after 30 s).
frame() {
    local x y w h l r t b state extents
    for _ in $(seq 120); do
        sleep 0.25
        extents=$(xprop -id "$window" _NET_FRAME_EXTENTS)
        state=restored
        maximized && state=maximized
        xwininfo -id "$window" | grep -q IsViewable && [[ $extents == *=* && $state == "$1" ]] && break
    done
    sleep 0.5
    x=$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(xwininfo -id "$window" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$window" | sed -n 's/.*Height: *//p')
    read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= *//; s/,/ /gp')
    echo "$state $((x - ${l:-0})) $((y - ${t:-0})) $((x + w + ${r:-0})) $((y + h + ${b:-0}))"
}
frame maximized
command -v import >/dev/null && import -window root "$shot-maximized.png"
# The window manager's key acts on the focused window: the window gets the focus first, as a click
# would give it. A key pressed while a loaded machine is still busy may go unseen: press again.
for _ in 1 2 3 4 5; do
    timeout 10 xdotool windowactivate --sync "$window"
    xdotool key super+Down
    for _ in $(seq 20); do
        sleep 0.25
        maximized || break 2
    done
done
frame restored
command -v import >/dev/null && import -window root "$shot-restored.png"
kill "$app"
EOF
)

on_screen() { # LEFT TOP RIGHT BOTTOM WIDTH HEIGHT
    [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ "$3" -le "$5" ] && [ "$4" -le "$6" ]
}

for screen in "1920 1080 2" "1366 768 1" "1024 768 1"; do
    read -r width height scale <<<"$screen"
    name="${width}x${height}-scale$scale"
    home="$work/$name"
    mkdir -p "$home"
    # A fresh program folder: the window starts on a new project. Other X servers may start on this
    # machine at the same time: each try starts from a display number of its own. Without
    # -noreset the server resets whenever its last client leaves (each xprop here), and a client
    # connecting meanwhile (openbox, the program, xdotool) is refused or cut off.
    for try in 1 2 3; do
        # The window title holds an em dash: the search needs a UTF-8 locale, whatever the caller has.
        out=$(LANG=C.UTF-8 LC_ALL=C.UTF-8 HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" QT_SCALE_FACTOR=$scale \
            timeout 150 xvfb-run -a -n $((100 + RANDOM % 800)) -e "$home/xvfb.log" \
            -s "-screen 0 ${width}x${height}x24 -noreset" bash -c "$inner" _ "$bin" "$shots/$name")
        [ -n "$out" ] && break
        cat "$home/xvfb.log" >&2
    done
    echo "$name: ${out//$'\n'/; }"
    expected=maximized
    while read -r state left top right bottom; do
        check "$name $expected: the window manager's state is $state" [ "$state" = "$expected" ]
        check "$name $state: frame $left,$top-$right,$bottom lies on the ${width}x$height screen" \
            on_screen "$left" "$top" "$right" "$bottom" "$width" "$height"
        expected=restored
    done <<<"$out"
    check "$name: both states measured" [ "$(wc -l <<<"$out")" -eq 2 ]
done
report_checks
