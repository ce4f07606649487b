#!/usr/bin/env bash
# Runs a command inside a headless KDE Plasma session of its own: a private D-Bus session
# bus, KWin 5.27 (`kwin_wayland --virtual`) and the KDE desktop portals, which D-Bus starts on
# demand. The command sees WAYLAND_DISPLAY, DBUS_SESSION_BUS_ADDRESS and no DISPLAY.
#   scripts/with-kwin.sh build/dev/tests/quillo_kwin_tests
# Run it inside scripts/with-test-env.sh when the command also records: the PulseAudio test
# server's PULSE_RUNTIME_PATH is kept.
#
# Executables named in QUILLO_KWIN_FAKE_INPUT (colon-separated absolute paths), and every
# tests/kwin-fake-input under build/, may use KWin's fake-input protocol to press keys.
set -euo pipefail

# Listing a test program's tests needs no session (ctest asks before every run).
for arg in "$@"; do
  if [[ $arg == --gtest_list_tests ]]; then exec "$@"; fi
done

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/quillo-kwin.XXXXXX)
# shellcheck source=process-groups.sh
source "$(dirname "$0")/process-groups.sh"
cleanup() {
  # Each helper leads its own process group; the portals live in dbus-daemon's group.
  end_process_groups
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- a private session ------------------------------------------------------------------
export HOME="$work/home"
export XDG_RUNTIME_DIR="$work/runtime"
export XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_DATA_HOME/applications" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
socket=wayland-quillo-test
export WAYLAND_DISPLAY=$socket
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
export QT_QPA_PLATFORM=wayland
unset DISPLAY SESSION_MANAGER
# The sound server of scripts/with-test-env.sh, if any, stays reachable from the new runtime dir.
if [[ -n ${PULSE_RUNTIME_PATH:-} ]]; then export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"; fi

# KWin lets only executables whose desktop file asks for it use fake input.
grant_fake_input() {
  local exe=$1 name
  name=$(echo "$exe" | tr -c 'A-Za-z0-9\n' '_')
  cat >"$XDG_DATA_HOME/applications/quillo-test-$name.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Quillo test input
Exec=$exe
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
DESKTOP
}
shopt -s nullglob
for tool in "$root"/build/*/tests/kwin-fake-input; do grant_fake_input "$tool"; done
IFS=: read -r -a extra <<<"${QUILLO_KWIN_FAKE_INPUT:-}"
for tool in "${extra[@]}"; do [[ -n $tool ]] && grant_fake_input "$tool"; done

# --- D-Bus first, so the portals it starts inherit the Wayland environment ----------------
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
setsid dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS" \
  >"$work/dbus.log" 2>&1 &
groups+=($!)
for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/bus ]] && break; sleep 0.05; done
[[ -S $XDG_RUNTIME_DIR/bus ]] || { echo "dbus-daemon did not start" >&2; cat "$work/dbus.log" >&2; exit 1; }

# --- KWin -------------------------------------------------------------------------------
# The packaged binary carries a file capability a container refuses; a plain copy does not.
cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
setsid "$work/kwin_wayland" --virtual --socket "$socket" --no-lockscreen --no-kactivities \
  --width 1280 --height 800 >"$work/kwin.log" 2>&1 &
groups+=($!)
# Ready once it listens and its shortcut service, which global shortcuts need, is on the bus; a
# session without that service fails here rather than in every portal test.
kwin_ready() {
  [[ -S $XDG_RUNTIME_DIR/$socket ]] &&
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
      string:org.kde.kglobalaccel 2>/dev/null | grep -q 'boolean true'
}
for _ in $(seq 200); do kwin_ready && break; sleep 0.05; done
kwin_ready || { echo "[with-kwin] KWin did not start" >&2; cat "$work/kwin.log" >&2; exit 1; }

export QUILLO_KWIN_LOGS="$work"  # dbus.log (with the portals' output) and kwin.log
echo "[test-env] KWin on $WAYLAND_DISPLAY, D-Bus at $DBUS_SESSION_BUS_ADDRESS"
status=0
"$@" || status=$?
# A failed test shows what the compositor and the portals said, so a failure in CI can be read.
if ((status != 0)); then
  for log in kwin dbus; do
    echo "[with-kwin] the end of $log.log:" >&2
    tail -n 40 "$work/$log.log" >&2
  done
fi
exit "$status"
