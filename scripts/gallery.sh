#!/usr/bin/env bash
# Remakes every picture of docs/gallery.md from the shipped example files.
# Builds vantor-cli first when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/bin/vantor-cli
if [ ! -x "$cli" ]; then
  source scripts/deps.sh
  vantor_install_deps
  vantor_build
fi
export QT_QPA_PLATFORM=offscreen
ex=data/examples
out=docs/gallery
mkdir -p "$out"

picture() {  # picture NAME FILE [more run options]
  local name=$1 file=$2
  shift 2
  "$cli" run "$ex/$file" --size 900x600 --png "$out/$name.png" "$@"
  echo "$out/$name.png"
}

picture tonic-firing default.vt4
picture rebound-burst rebound-burst.vt4
picture a-current-delay a-current-delay.vt4
picture h-sag h-sag.vt4
picture ahp-adaptation ahp-adaptation.vt4
picture m-adaptation m-adaptation.vt4
picture nap-plateau nap-plateau.vt4
picture epsp-train epsp-train.vt4
picture nmda-magnesium nmda-magnesium.vt4 --overlay "$ex/nmda-no-magnesium.vt4"
picture ipsp-train ipsp-train.vt4
picture temperature temperature-35.vt4 --overlay "$ex/temperature-22.vt4"
