# Sourced by the desktop tests: the X tools they need, and a virtual X server to run a driver on.
# Set `driver` (the program) and `name` (for messages) before sourcing.

for tool in xvfb-run xauth xdotool xprop openbox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$name: skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/../smoke" && pwd)/lsan.supp"

# session SCREEN WM MODE [VARIABLE=VALUE...]: runs `driver MODE` on a new X server of SCREEN's size,
# under openbox when WM is openbox, with no window manager otherwise.
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
