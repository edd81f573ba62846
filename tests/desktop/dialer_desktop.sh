#!/usr/bin/env bash
# The telephone dialog's pop-ups under a real window manager: dialer_desktop on a virtual X server
# with openbox.
#   dialer_desktop.sh DIALER_DESKTOP
# Exits 77 (skipped) when the X tools are missing.
set -u
driver=${1:?dialer_desktop}
for tool in xvfb-run xauth xdotool xprop openbox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "dialer_desktop: skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
unset QT_QPA_PLATFORM
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/../smoke" && pwd)/lsan.supp"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # The window manager is ready once it has named itself on the root window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
    "$0"
    status=$?
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    exit "$status"' "$driver"
