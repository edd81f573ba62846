#!/usr/bin/env bash
# The telephone dialog's pop-ups under a real window manager: dialer_desktop on a virtual X server
# with openbox.
#   dialer_desktop.sh DIALER_DESKTOP
# Exits 77 (skipped) when the X tools are missing.
set -u
driver=${1:?dialer_desktop}
name=dialer_desktop
source "$(dirname "$0")/x_session.sh"
session 1280x1024 openbox openbox
