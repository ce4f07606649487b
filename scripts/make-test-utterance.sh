#!/usr/bin/env bash
# Makes tests/data/utterance-16k-s16le.raw, the known utterance of the voice-activity and
# capture tests: espeak-ng speech, 16 kHz mono s16le, cut to its first and last sound.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
espeak-ng -v en-us -s 165 -w "$work/said.wav" "Testing one, two, three, the quick brown fox."
sox -D "$work/said.wav" -r 16000 -c 1 -b 16 -e signed -t raw tests/data/utterance-16k-s16le.raw \
  silence 1 0.002 0.5% reverse silence 1 0.002 0.5% reverse gain -n -3
