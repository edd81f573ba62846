#!/usr/bin/env bash
# The smoke test: the built organizer on a virtual X server, driven by smoke_driver with xdotool.
#   smoke.sh SMOKE_DRIVER PROGRAM
# Exits 77 (skipped) when the X tools are missing. QUELLMIRE_SAMPLE_ARCHIVE names the script that
# fills the archive with sample rows and notes; without it a few rows are made here.
set -u
driver=${1:?smoke_driver}
program=${2:?program}
for tool in xvfb-run xauth xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "smoke: skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample=${QUELLMIRE_SAMPLE_ARCHIVE:-$(dirname "$0")/../../../shared/tools/sample-archive.py}
args=("$program" "$work")
[ -f "$sample" ] && args+=("$sample")
unset QT_QPA_PLATFORM
# In a sanitizer build: what the desktop's libraries keep at exit is theirs, not ours.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp"
# One more try when the first fails: on a loaded machine the X server can lose a synthetic event.
# Both runs' output is kept, so a failure that comes back is seen whole.
for attempt in 1 2; do
    xvfb-run -a -s "-screen 0 1280x1024x24" "$driver" "${args[@]}"
    status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] && exit "$status"
    echo "smoke: attempt $attempt failed with status $status"
    rm -rf "${work:?}"/* "${work:?}"/.[!.]* 2>/dev/null
done
exit "$status"
