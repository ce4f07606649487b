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

# Waits until the server answers PROBE. A loaded machine can take many seconds to start one,
# so this gives up only when the server's process has ended or after a minute
# (QUILLO_TEST_ENV_START_SECONDS), and then shows the server's log.
wait_for_server() {
  local name=$1 pid=$2 log=$3
  shift 3
  local deadline=$((SECONDS + ${QUILLO_TEST_ENV_START_SECONDS:-60}))
  until "$@" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null || ((SECONDS >= deadline)); then
      "$@" >/dev/null 2>&1 && return 0
      echo "$name did not start" >&2
      kill -0 "$pid" 2>/dev/null && echo "($name still runs but did not answer in time)" >&2 \
        || echo "($name exited)" >&2
      cat "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

# --- X server ---------------------------------------------------------------------------
display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp +extension XTEST +extension XInputExtension \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
wait_for_server "Xvfb" "$!" "$work/xvfb.log" xdpyinfo

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
wait_for_server "PulseAudio" "$!" "$work/pulse.log" pactl info

echo "[test-env] DISPLAY=$DISPLAY, PulseAudio at $PULSE_RUNTIME_PATH, microphone pipe $QUILLO_TEST_MIC_PIPE"
"$@"
