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
picture ramp-rheobase stimuli/ramp-rheobase.vt4 --method 4 -q
picture noise-firing stimuli/noise-firing.vt4 --method 4 -q
picture train-following stimuli/train-following.vt4 --method 4 -q
picture waveform-playback stimuli/waveform-playback.vt4 --method 4 -q

clamp() {  # clamp NAME [iv options]: an I-V or inactivation curve of default.vt4
  local name=$1
  shift
  "$cli" iv "$ex/default.vt4" --method 4 --png "$out/$name.png" "$@"
  echo "$out/$name.png"
}

clamp sodium-iv --hold -80 --steps -70:50:13 --set gK=0
clamp potassium-iv --hold -80 --steps -70:50:13 --set gNa=0
clamp t-inactivation --set pT=20 --set duration=500 --set onset=350 --set offset=450 \
  --current IT --hold -60 --prepulse 300 --test -40 --steps -120:-50:15
clamp a-inactivation --set gA=2 --set duration=400 --set onset=250 --set offset=300 \
  --current IA --hold -60 --prepulse 200 --test 0 --steps -120:-40:9
clamp h-tails --set gH=0.05 --set duration=1150 --set onset=50 --set offset=1050 \
  --current IH --hold -50 --steps -130:-50:9 --tail -70
"$cli" rheobase "$ex/default.vt4" --ramp 0:4:200 --method 4
"$cli" impedance "$ex/default.vt4" --set gH=0.2 --chirp 0.5:30:4000:0.05 --onset 3000 \
  --method 4 --png "$out/h-resonance.png"
echo "$out/h-resonance.png"
