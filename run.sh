#!/usr/bin/env bash
# Installs what is missing, builds, and runs the built-in parameters once.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
vantor_install_deps
vantor_build
mkdir -p out
export QT_QPA_PLATFORM=offscreen
./build/bin/vantor-cli run --csv out/run.csv --png out/run.png
echo "Wrote out/run.csv (the samples) and out/run.png (the picture) for the built-in parameters."
