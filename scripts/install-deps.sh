#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail
packages=(g++ cmake make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libsqlite3-dev sqlite3 libcanberra-dev sound-theme-freedesktop fonts-dejavu-core poppler-utils
          clang-format libicu-dev libxcb1-dev xvfb xauth xdotool x11-utils ccache openbox trayer tint2
          libical-dev dbus calcurse python3-icalendar python3-vobject desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
