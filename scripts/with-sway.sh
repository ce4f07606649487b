#!/usr/bin/env bash
# Runs a command beside a headless sway session (wlroots). The session's sockets are exported as
# QUILLO_TEST_WAYLAND_DISPLAY and QUILLO_TEST_SWAYSOCK, not as WAYLAND_DISPLAY: the Wayland tests
# connect to it, and every other test keeps seeing the X11 session it expects.
# Sway refuses to run as root, so as root it runs as "nobody" with a runtime folder of its own.
#   scripts/with-test-env.sh scripts/with-sway.sh ctest --preset dev -L integration-wayland
set -euo pipefail

command -v sway >/dev/null || { echo "[with-sway] sway is not installed: scripts/setup.sh" >&2; exit 1; }

work=$(mktemp -d /tmp/quillo-sway.XXXXXX)
chmod 0755 "$work"
runtime="$work/runtime"
mkdir -m 0700 "$runtime"
config="$work/sway.config"
# Extra lines for the configuration, such as the hotkey's bindings, come from QUILLO_SWAY_CONFIG.
{
  echo "output HEADLESS-1 resolution 1280x800"
  echo "focus_on_window_activation focus"
  [[ -n ${QUILLO_SWAY_CONFIG:-} ]] && printf '%s\n' "$QUILLO_SWAY_CONFIG"
} >"$config"
chmod 0644 "$config"

as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chown nobody "$runtime"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

sway_pid=
cleanup() {
  if [[ -n $sway_pid ]]; then
    kill -- "-$sway_pid" 2>/dev/null || kill "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Its own process group, so ending it ends everything it started.
setsid env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$runtime" \
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "${as_user[@]}" sway -c "$config" >"$work/sway.log" 2>&1 &
sway_pid=$!

socket=
for _ in $(seq 200); do
  socket=$(find "$runtime" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -print -quit 2>/dev/null || true)
  ipc=$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*' -print -quit 2>/dev/null || true)
  [[ -n $socket && -n $ipc ]] && break
  sleep 0.05
done
if [[ -z $socket || -z ${ipc:-} ]]; then
  echo "[with-sway] sway did not start" >&2
  cat "$work/sway.log" >&2
  exit 1
fi

export QUILLO_TEST_WAYLAND_DISPLAY="$socket"
export QUILLO_TEST_SWAYSOCK="$ipc"
echo "[with-sway] sway at $QUILLO_TEST_WAYLAND_DISPLAY"
"$@"
