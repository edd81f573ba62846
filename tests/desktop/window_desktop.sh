#!/usr/bin/env bash
# The main window and its dialogs on a virtual X server: window_desktop under openbox, again with no
# window manager, and at scale 2 on a 1920 x 1080 screen.
#   window_desktop.sh WINDOW_DESKTOP
# Exits 77 (skipped) when the X tools are missing.
set -u
driver=${1:?window_desktop}
for tool in xvfb-run xauth xdotool xprop openbox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "window_desktop: skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/../smoke" && pwd)/lsan.supp"

# session SCREEN WM MODE [VARIABLE=VALUE...]
session() {
    local screen=$1 wm=$2 mode=$3
    shift 3
    xvfb-run -a -s "-screen 0 ${screen}x24" env "$@" bash -c '
        wm=
        if [ "$1" = openbox ]; then
            openbox --sm-disable >/dev/null 2>&1 &
            wm=$!
            # The window manager is ready once it has named itself on the root window.
            for _ in $(seq 100); do
                xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
                sleep 0.05
            done
        fi
        "$0" "$2"
        status=$?
        if [ -n "$wm" ]; then
            kill "$wm" 2>/dev/null
            wait "$wm" 2>/dev/null
        fi
        exit "$status"' "$driver" "$wm" "$mode"
}

session 1280x1024 openbox openbox || exit 1
session 1280x1024 none bare || exit 1
session 1920x1080 openbox scaled QT_SCALE_FACTOR=2 || exit 1
