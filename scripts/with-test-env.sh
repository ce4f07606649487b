#!/usr/bin/env bash
# Runs a command with the real parts the integration tests use: an Xvfb display with a tray
# host, and a private PulseAudio server with a virtual microphone fed through a pipe.
#   scripts/with-test-env.sh ctest --preset ci
set -euo pipefail

work=$(mktemp -d /tmp/quillo-test-env.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- X server ---------------------------------------------------------------------------
display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp +extension XTEST +extension XInputExtension \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# --- sound server -----------------------------------------------------------------------
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
export QUILLO_TEST_MIC_PIPE="$work/virtual-mic.pipe"
cat >"$work/default.pa" <<PA
load-module module-native-protocol-unix
load-module module-null-sink sink_name=test_speaker
# A second microphone listed before the default one, so tests see which input gets chosen.
load-module module-null-source source_name=test_other_mic
load-module module-pipe-source source_name=test_mic file=$QUILLO_TEST_MIC_PIPE format=s16le rate=48000 channels=1
set-default-source test_mic
set-default-sink test_speaker
PA
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n -F "$work/default.pa" \
  --use-pid-file=no --system=no >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start" >&2; cat "$work/pulse.log" >&2; exit 1; }

echo "[test-env] DISPLAY=$DISPLAY, PulseAudio at $PULSE_RUNTIME_PATH, microphone pipe $QUILLO_TEST_MIC_PIPE"
"$@"
