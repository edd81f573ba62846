#!/usr/bin/env bash
# The window and its notification-area icon as a desktop runs them: a virtual X server, the openbox
# window manager, a tray host (trayer, else stalonetray), a taskbar (tint2, when installed) and the
# built organizer, driven with xdotool and read back with xprop and xwininfo.
#   tray.sh PROGRAM
# Each way of calling the window back is repeated after "Place in tray": every time the window must
# come up viewable, not iconic, active and still without a taskbar button. An alarm due while the
# window is in the tray must bring it back; a right click on the icon while the quit question is
# open must bring the question forward and open nothing else. Exits 77 (skipped) when a tool is
# missing.
set -u
program=${1:?program}
rounds=${TRAY_ROUNDS:-20}

for tool in Xvfb openbox xdotool xprop xwininfo xmessage sqlite3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "tray: skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
if command -v trayer >/dev/null 2>&1; then
    trayhost=(trayer --edge top --align right --widthtype request --height 24 --SetDockType true)
elif command -v stalonetray >/dev/null 2>&1; then
    trayhost=(stalonetray --geometry 1x1-0+0 --icon-size 22)
else
    echo "tray: skipped: no tray host (trayer or stalonetray) is installed"
    exit 77
fi

work=$(mktemp -d)
pids=()
organizer=""
cleanup() {
    [ -n "$organizer" ] && kill "$organizer" 2>/dev/null
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    [ -n "${TRAY_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "tray: FAIL: $*"
    exit 1
}
say() { echo "tray: $*"; }

# Polls a command until it succeeds, up to $1 tenths of a second.
wait_for() {
    local deadline=$((${EPOCHREALTIME/./} + $1 * 100000))
    shift
    until "$@"; do
        [ "${EPOCHREALTIME/./}" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

# --- the desktop ---
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No session bus: the icon goes to the X11 tray host, as on a plain desktop.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
unset QT_QPA_PLATFORM
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp"

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 100 test -s "$work/display" || fail "the X server did not start"
export DISPLAY=:$(head -n 1 "$work/display")
wait_for 100 xprop -root >/dev/null 2>&1 || fail "the X server does not answer"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 100 wm_ready || fail "openbox did not start"
"${trayhost[@]}" >"$work/tray.log" 2>&1 &
pids+=($!)
tray_ready() { xwininfo -root -tree | grep -qiE '"(trayer|stalonetray)"'; }
wait_for 100 tray_ready || fail "the tray host did not start"
if command -v tint2 >/dev/null 2>&1; then
    # A taskbar only: the notification area stays the tray host's.
    printf 'panel_items = T\npanel_position = bottom center horizontal\npanel_size = 100%% 30\n' >"$work/tint2rc"
    tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
    pids+=($!)
fi

# --- the organizer's program folder: the first start makes the tables ---
folder=$work/program
mkdir -p "$folder"
: >"$folder/nosplash"
export QUELLMIRE_PROGRAM_FOLDER=$folder LC_ALL=C.UTF-8 LANG=C.UTF-8

# The program's windows by size: the main window, the tray icon, a question box, the menu.
windows() { xwininfo -root -tree | awk '/\("quellmire" "Quellmire Organizer"\)/ {print $1, $(NF-1)}'; }
main_window() { windows | awk '{split($2, s, /[x+]/); if (s[1] > 400 && s[2] > 300) {print $1; exit}}'; }
icon_window() { windows | awk '{split($2, s, /[x+]/); if (s[1] > 1 && s[1] <= 64 && s[2] <= 64) {print $1; exit}}'; }
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}'
}
map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State/ {print $3}'; }
has_main() { [ -n "$(main_window)" ]; }
has_icon() { [ -n "$(icon_window)" ]; }

start_organizer() {
    "$program" >>"$work/organizer.log" 2>&1 &
    organizer=$!
    wait_for 150 has_main || fail "the main window did not appear"
}

start_organizer
kill "$organizer"
wait "$organizer" 2>/dev/null
organizer=""
archive=$(dirname "$(find "$folder" -name QMarc80.db | head -n 1)")
[ -f "$archive/QMset90.db" ] || fail "the first start made no tables"
# The alarm pops the window up ("Pop-up!" on, no sound); it rings at the start of the first minute
# at least 15 s away, so that the rounds below run meanwhile.
sqlite3 "$archive/QMset90.db" "UPDATE QMset90 SET soundon = 'V', minimized = 'N'"
now=$(date +%s)
alarm_at=$(((now + 15 + 59) / 60 * 60))
sqlite3 "$archive/QMarc80.db" "INSERT INTO QMarc80 (id, note, datefull, orario, orario2, flag, dayofweek)
    VALUES ('Tray alarm', '', '$(date -d "@$alarm_at" +%Y-%m-%d)', '$(date -d "@$alarm_at" +%H:%M)',
            '$(date -d "@$alarm_at" +%H:%M)', 'O', '')"

start_organizer
main=$(main_window)
wait_for 100 has_icon || fail "no icon in the tray host"
icon=$(icon_window)
read -r ix iy iw ih < <(geometry "$icon")
icon_x=$((ix + iw / 2))
icon_y=$((iy + ih / 2))
say "main window $main, icon $icon at $icon_x,$icon_y"
main_hex=$(printf '0x%x' "$main")

# Shown as asked: viewable, not iconic, active, and no taskbar button.
state_of_main() { xprop -id "$main" _NET_WM_STATE 2>/dev/null; }
shown() {
    [ "$(map_state "$main")" = IsViewable ] || return 1
    local state
    state=$(state_of_main)
    [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* && $state != *_NET_WM_STATE_HIDDEN* ]] || return 1
    [ "$(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}')" = "$main_hex" ]
}
put_away() { [ "$(map_state "$main")" != IsViewable ]; }
describe() {
    echo "map state $(map_state "$main"); $(state_of_main); active $(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}')"
}

# "Place in tray" is the fourth button from the right of the caption bar.
place_in_tray() {
    local x y w h
    read -r x y w h < <(geometry "$main")
    xdotool mousemove $((x + w - 89)) $((y + 14)) click --delay 0 1
    wait_for 50 put_away || fail "$1: \"Place in tray\" left the window on the screen ($(describe))"
}

# The window manager's own minimise (its keys, a pager): the window goes into the tray too, out of
# the window manager's hands.
withdrawn() { ! xprop -id "$main" WM_STATE | grep -q 'window state'; }
minimise_into_tray() {
    xdotool windowminimize "$main"
    wait_for 50 withdrawn || fail "$1: the window manager's minimise left the window with it ($(describe))"
}

# The menu: a window of the program that bypasses the window manager, larger than the icon.
menu_shown() {
    local id size
    while read -r id size; do
        size=${size%%x*}
        [ "$size" -gt 64 ] || continue
        xwininfo -id "$id" | grep -q 'Override Redirect State: yes' || continue
        [ "$(map_state "$id")" = IsViewable ] && return 0
    done < <(windows)
    return 1
}

# The tray menu's items in order (the separators are skipped by the keys): nine tabs, then the window.
items=("One Shot" Yearly Monthly Weekly Tasks Contacts Notes To-Do! Options "Quellmire Organizer")
call_back() {
    local how=$1
    case $how in
    click) xdotool mousemove "$icon_x" "$icon_y" click --delay 0 1 ;;
    double) xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 60 1 ;;
    item*)
        local index=${how#item} keys=()
        xdotool mousemove "$icon_x" "$icon_y" click --delay 0 3
        wait_for 50 menu_shown || fail "a right click on the icon showed no menu"
        for ((k = 0; k <= index; k++)); do keys+=(Down); done
        xdotool key --delay 2 "${keys[@]}" Return
        ;;
    esac
}

alarm_checked=0
check_alarm() {
    say "waiting for the alarm at $(date -d "@$alarm_at" +%H:%M:%S)"
    [ "$(date +%s)" -lt "$alarm_at" ] || fail "the rounds took so long that the alarm was missed"
    place_in_tray alarm
    while [ "$(date +%s)" -lt "$alarm_at" ]; do
        put_away || fail "the window came back before the alarm was due"
        sleep 0.1
    done
    wait_for 100 shown || fail "the alarm did not bring the window back ($(describe))"
    say "the alarm brought the window back"
    alarm_checked=1
}

wait_for 100 shown || fail "the window did not come up at start ($(describe))"
started=$(date +%s)
ways=(click double minimised)
for ((i = 0; i < ${#items[@]}; i++)); do ways+=("item$i"); done
for ((round = 1; round <= rounds; round++)); do
    for how in "${ways[@]}"; do
        [ $alarm_checked = 0 ] && [ $(($(date +%s) + 4)) -ge "$alarm_at" ] && check_alarm
        wait_for 50 shown || fail "round $round before $how: the window did not stay up ($(describe))"
        if [ "$how" = minimised ]; then
            minimise_into_tray "round $round $how"
            call_back click
        else
            place_in_tray "round $round $how"
            call_back "$how"
        fi
        wait_for 50 shown || fail "round $round, $how: the window did not come back as asked ($(describe))"
    done
done
say "$rounds rounds of ${#ways[@]} ways back in $(($(date +%s) - started)) s"
[ $alarm_checked = 1 ] || check_alarm

# The quit question: a right click on the icon brings it forward and opens nothing else.
read -r x y w h < <(geometry "$main")
xdotool mousemove $((x + w - 14)) $((y + 14)) click 1
# The question is a dialog window on the screen.
dialogs() {
    local id
    for id in $(windows | awk '{print $1}'); do
        [ "$(map_state "$id")" = IsViewable ] && xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q DIALOG && echo "$id"
    done
}
question=""
find_question() { question=$(dialogs | head -n 1) && [ -n "$question" ]; }
wait_for 50 find_question || fail "the quit button asked nothing"
active() { xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}'; }
question_active() { [ "$(active)" = "$(printf '0x%x' "$question")" ]; }
# Something else takes the input first.
xmessage -name elsewhere "elsewhere" >/dev/null 2>&1 &
pids+=($!)
elsewhere_active() { ! question_active && [ "$(active)" != 0x0 ]; }
wait_for 50 elsewhere_active || fail "another window could not take the input from the question"
xdotool mousemove "$icon_x" "$icon_y" click 3
wait_for 50 question_active || fail "a right click on the icon left the quit question behind"
menu_shown && fail "a right click on the icon opened the menu over the quit question"
[ "$(dialogs | wc -l)" = 1 ] || fail "a second question was opened"
say "a right click during the quit question brought it forward"
xdotool key Return
wait_for 100 eval '! kill -0 "$organizer" 2>/dev/null' || fail "answering Yes did not end the program"
wait "$organizer"
status=$?
organizer=""
[ $status = 0 ] || fail "the program ended with status $status"
say "passed"
