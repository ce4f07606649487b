#!/usr/bin/env bash
# Runs a command on a private D-Bus session bus with a real keyring, never the user's own:
#   with-keyring.sh [--no-secret-service] COMMAND...
# gnome-keyring-daemon serves the Secret Service there, its login keyring made and unlocked with
# a test password. With --no-secret-service the bus offers no keyring at all (nothing can be
# started on demand either), as on a minimal window manager. Exits with an error, never skips,
# when the bus or the keyring cannot start.
set -euo pipefail

with_keyring=1
if [[ ${1:-} == --no-secret-service ]]; then
  with_keyring=0
  shift
fi

work=$(mktemp -d /tmp/quillo-keyring.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# No <servicedir>: only what is started here is on the bus.
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/address" \
  2>"$work/bus.log" &
pids+=($!)
for _ in $(seq 600); do
  [[ -s $work/address ]] && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
if [[ ! -s $work/address ]]; then
  echo "with-keyring: the private D-Bus session bus did not start" >&2
  cat "$work/bus.log" >&2
  exit 1
fi
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/address")
# The keyring's files and sockets live in the private folders, never the user's.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"

if ((with_keyring)); then
  export QUILLO_TEST_KEYRING_PASSWORD=quillo-test-password
  printf '%s' "$QUILLO_TEST_KEYRING_PASSWORD" |
    gnome-keyring-daemon --foreground --unlock --components=secrets >"$work/keyring.log" 2>&1 &
  pids+=($!)
  deadline=$((SECONDS + ${QUILLO_TEST_ENV_START_SECONDS:-60}))
  until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
      grep -q 'boolean true'; do
    if ! kill -0 "${pids[1]}" 2>/dev/null || ((SECONDS >= deadline)); then
      echo "with-keyring: gnome-keyring-daemon did not start" >&2
      cat "$work/keyring.log" >&2
      exit 1
    fi
    sleep 0.1
  done
fi

"$@"
