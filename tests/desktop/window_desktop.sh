#!/usr/bin/env bash
# The main window and its dialogs on a virtual X server: window_desktop under openbox, again with no
# window manager, and at scale 2 on a 1920 x 1080 screen.
#   window_desktop.sh WINDOW_DESKTOP
# Exits 77 (skipped) when the X tools are missing.
set -u
driver=${1:?window_desktop}
name=window_desktop
source "$(dirname "$0")/x_session.sh"
session 1280x1024 openbox openbox || exit 1
session 1280x1024 none bare || exit 1
session 1920x1080 openbox scaled QT_SCALE_FACTOR=2 || exit 1
