#!/usr/bin/env bash
# Installs what is missing and builds; then, with a display, opens the
# desktop program on the built-in parameters and runs them once; without
# one, runs the built-in parameters headless and writes a picture and a CSV.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
vantor_install_deps
vantor_build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/vantor ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "Opening the desktop program on data/examples/default.vt4 (the built-in parameters)."
  exec ./build/bin/vantor data/examples/default.vt4
fi
mkdir -p out
export QT_QPA_PLATFORM=offscreen
./build/bin/vantor-cli run --csv out/run.csv --png out/run.png
echo "Wrote out/run.csv (the samples) and out/run.png (the picture) for the built-in parameters."
