#!/usr/bin/env bash
# Makes the clips the voice-activity thresholds were chosen on (espeak-ng speech, sox noise)
# and classifies them:
#   bash bench/speech-detector-clips.sh build/ci/bench/SpeechDetectorBenchmark
# Every clip named speech-* must hold speech, every noise-* clip none.
set -euo pipefail
detector=$1
work=$(mktemp -d /tmp/quillo-vad-clips.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

raw() { sox "$@" -t raw -e signed -b 16 -r 16000 -c 1 -; }
sox -n -r 16000 -c 1 -b 16 second.wav trim 0 1.0

i=0
while IFS='|' read -r voice text; do
  i=$((i + 1))
  espeak-ng -v "$voice" -w said.wav "$text"
  sox said.wav -r 16000 -c 1 -b 16 said16.wav gain -n -6
  sox second.wav said16.wav second.wav padded.wav
  length=$(soxi -D padded.wav)
  raw padded.wav >"speech-$i-clean.raw"
  for noise in "brownnoise 0.01 room" "pinknoise 0.03 office" "brownnoise 0.08 fan" "whitenoise 0.02 hiss"; do
    set -- $noise
    sox -n -r 16000 -c 1 -b 16 noise.wav synth "$length" "$1" vol "$2"
    raw -m padded.wav noise.wav >"speech-$i-$3.raw"
  done
done <<'TEXTS'
en-us|Please send the quarterly report to Maria before Friday afternoon.
en-gb|Okay.
de|Ich komme morgen etwas später ins Büro, bitte warte nicht auf mich.
en-us+f3|Hi, yes, that works for me. Let's meet at three thirty in the small conference room.
fr|Bonjour.
en-us|Yes.
en-gb|No.
TEXTS

sox -n -r 16000 -c 1 -b 16 -t raw -e signed noise-silence.raw trim 0 3
for noise in "whitenoise 0.0005 dither" "whitenoise 0.003 white-50" "whitenoise 0.01 white-40" \
             "whitenoise 0.03 white-30" "pinknoise 0.02 pink-35" "pinknoise 0.06 pink-25" \
             "brownnoise 0.03 brown-30" "brownnoise 0.1 brown-20"; do
  set -- $noise
  sox -n -r 16000 -c 1 -b 16 -t raw -e signed "noise-$3.raw" synth 3 "$1" vol "$2"
done
sox -n -r 16000 -c 1 -b 16 -t raw -e signed noise-hum.raw synth 3 sine 50 vol 0.03
sox -n -r 16000 -c 1 -b 16 thump.wav synth 0.03 sine 120 vol 0.6 fade 0 0.03 0.025
sox -n -r 16000 -c 1 -b 16 click.wav synth 0.005 whitenoise vol 0.5
sox -n -r 16000 -c 1 -b 16 gap.wav trim 0 0.5
sox gap.wav thump.wav gap.wav click.wav gap.wav gap.wav gap.wav thump.wav gap.wav bumps.wav
sox -n -r 16000 -c 1 -b 16 room.wav synth "$(soxi -D bumps.wav)" brownnoise vol 0.01
raw -m bumps.wav room.wav >noise-key-bumps.raw

"$detector" --classify speech-*.raw noise-*.raw | sed "s|$work/||"
