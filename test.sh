#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   BUILD_DIR (default build), QUELLMIRE_SANITIZE=ON for an AddressSanitizer/UBSan build.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUELLMIRE_SANITIZE="${QUELLMIRE_SANITIZE:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
