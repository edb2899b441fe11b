#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
vantor_install_deps
export QT_QPA_PLATFORM=offscreen
vantor_build
cd build
ctest --output-on-failure -j "$(nproc)"
