#!/usr/bin/env bash
# Runs a command inside a headless GNOME Shell 43 session of its own, as GNOME on Wayland runs
# Quillo: a private runtime folder, HOME and session bus, an empty stand-in system bus (the shell
# will not start without one), `gnome-shell --headless --wayland` on a 1280x800 virtual monitor
# with XWayland, the settings daemon's media keys (which run custom keyboard shortcuts) and the
# desktop portals.
#   scripts/with-test-env.sh scripts/with-gnome.sh build/ci/tests/quillo_gnome_tests
# The command sees the session directly, as an application in it does: WAYLAND_DISPLAY,
# DISPLAY and XAUTHORITY of the shell's XWayland, DBUS_SESSION_BUS_ADDRESS,
# XDG_CURRENT_DESKTOP=GNOME; settings go to the session's own dconf database. Besides:
#   QUILLO_TEST_GNOME_SHELL  the shell's process id (the tests' sign that they run in here)
#   QUILLO_TEST_GNOME_LOGS   the folder of gnome-shell.log, gsd-media-keys.log, portals.log...
#   QUILLO_TEST_GNOME_PORTALS the frontend's portal folder (XDG_DESKTOP_PORTAL_DIR): GNOME's own
#                            portal files only, so a machine that also has KDE's portal does not
#                            offer its GlobalShortcuts here unless a test copies it in.
# The PulseAudio server of scripts/with-test-env.sh stays reachable. A failed command is followed
# by the end of the shell's logs; QUILLO_GNOME_TIMES=1 prints how long each piece took to start.
set -euo pipefail

# Listing a test program's tests needs no session (ctest asks before every run).
for arg in "$@"; do
  if [[ $arg == --gtest_list_tests ]]; then exec "$@"; fi
done

fail() {
  echo "[with-gnome] $*" >&2
  exit 1
}
for tool in gnome-shell Xwayland /usr/libexec/gsd-media-keys /usr/libexec/xdg-desktop-portal \
  /usr/libexec/xdg-desktop-portal-gnome dconf gdbus; do
  command -v "$tool" >/dev/null || fail "$tool is not installed: scripts/setup.sh"
done

work=$(mktemp -d /tmp/quillo-gnome.XXXXXX)
logs="$work/logs"
mkdir -p "$logs"
# shellcheck source=process-groups.sh
source "$(dirname "$0")/process-groups.sh"
x_display=
cleanup() {
  # Each piece leads its own process group; what D-Bus started lives in dbus-daemon's group.
  end_process_groups
  # The document portal's mount, should it have been killed before it could undo it.
  if mountpoint -q "$work/runtime/doc" 2>/dev/null; then
    fusermount3 -u "$work/runtime/doc" 2>/dev/null || umount -l "$work/runtime/doc" 2>/dev/null || true
  fi
  # The X display's lock and socket, which mutter made, when a killed shell left them.
  if [[ -n $x_display && -f /tmp/.X$x_display-lock ]]; then
    owner=$(tr -dc 0-9 <"/tmp/.X$x_display-lock" 2>/dev/null || true)
    if [[ -z $owner ]] || ! kill -0 "$owner" 2>/dev/null; then
      rm -f "/tmp/.X$x_display-lock" "/tmp/.X11-unix/X$x_display"
    fi
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started_at=$EPOCHREALTIME
mark() {
  [[ -n ${QUILLO_GNOME_TIMES:-} ]] || return 0
  local now=$EPOCHREALTIME
  printf '[with-gnome] %6.0f ms  %s\n' "$(((${now/./} - ${started_at/./}) / 1000))" "$1" >&2
}

# Shows a piece's log and gives up.
died() {
  echo "[with-gnome] $1" >&2
  [[ -f $2 ]] && tail -30 "$2" >&2
  exit 1
}

# Waits up to `seconds` for the command after them while the process `pid` lives.
wait_for() {
  local seconds=$1 pid=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || return 1
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

bus_has() {
  gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

# --- a private session ------------------------------------------------------------------
export HOME="$work/home"
export XDG_RUNTIME_DIR="$work/runtime"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
mkdir -p "$XDG_CONFIG_HOME/dconf" "$XDG_DATA_HOME/applications" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
socket=wayland-quillo-gnome
export WAYLAND_DISPLAY=$socket
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
export DESKTOP_SESSION=gnome GDMSESSION=gnome
# No accessibility bus to start for every GTK and Qt program.
export NO_AT_BRIDGE=1 QT_ACCESSIBILITY=0
unset DISPLAY XAUTHORITY SESSION_MANAGER GSETTINGS_BACKEND GDK_BACKEND
if [[ -n ${PULSE_RUNTIME_PATH:-} ]]; then export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"; fi

export XDG_DESKTOP_PORTAL_DIR="$work/portals"
mkdir -p "$XDG_DESKTOP_PORTAL_DIR"
for portal in gnome gnome-shell gtk; do
  [[ -f /usr/share/xdg-desktop-portal/portals/$portal.portal ]] &&
    cp "/usr/share/xdg-desktop-portal/portals/$portal.portal" "$XDG_DESKTOP_PORTAL_DIR/"
done

# Settings before anything reads them, compiled straight into the user's database: no hot
# corner to open the overview, no animations to wait for.
mkdir -p "$work/dconf.d"
cat >"$work/dconf.d/00-quillo-test" <<'DCONF'
[org/gnome/desktop/interface]
enable-hot-corners=false
enable-animations=false
DCONF
dconf compile "$XDG_CONFIG_HOME/dconf/user" "$work/dconf.d"

# --- D-Bus: the session bus and the empty system bus ------------------------------------
cat >"$work/system-bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_type="*"/>
  </policy>
</busconfig>
CONF
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/system_bus"
setsid dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS" \
  >"$logs/dbus.log" 2>&1 &
groups+=($!)
bus_pgid=$!
setsid dbus-daemon --config-file="$work/system-bus.conf" --nofork --nopidfile \
  --address="$DBUS_SYSTEM_BUS_ADDRESS" >"$logs/dbus-system.log" 2>&1 &
groups+=($!)
system_pgid=$!
wait_for 5 "$bus_pgid" test -S "$XDG_RUNTIME_DIR/bus" || died "dbus-daemon did not start" "$logs/dbus.log"
wait_for 5 "$system_pgid" test -S "$XDG_RUNTIME_DIR/system_bus" ||
  died "the stand-in system bus did not start" "$logs/dbus-system.log"
mark "buses"

# --- GNOME Shell, the media keys and the portals ------------------------------------------
# Now and then (about one start in twenty here, when starts follow each other) the shell logs
# its set-up and then never says it started. That start is given up and made again, once, and
# this says so; a second stall fails.
shell_log="$logs/gnome-shell.log"
start_shell() {
  setsid gnome-shell --headless --wayland --virtual-monitor 1280x800 --wayland-display "$socket" \
    >"$shell_log" 2>&1 &
  groups+=($!)
  shell_pgid=$!
  session_pgids=("$shell_pgid")
  wait_for 30 "$shell_pgid" test -S "$XDG_RUNTIME_DIR/$socket" || return 1
  mark "Wayland socket"
  # gsd-media-keys runs the custom shortcuts' commands (with its own environment, this one); it
  # grabs their keys once the shell is on the bus. Its debug lines tell when a grab is done.
  G_MESSAGES_DEBUG=media-keys-plugin setsid /usr/libexec/gsd-media-keys \
    >"$logs/gsd-media-keys.log" 2>&1 &
  groups+=($!)
  keys_pgid=$!
  setsid /usr/libexec/xdg-desktop-portal-gnome >"$logs/portal-gnome.log" 2>&1 &
  groups+=($!)
  local portal_gnome_pgid=$!
  setsid /usr/libexec/xdg-desktop-portal >"$logs/portals.log" 2>&1 &
  groups+=($!)
  portal_pgid=$!
  session_pgids+=("$keys_pgid" "$portal_gnome_pgid" "$portal_pgid")
  wait_for "$1" "$shell_pgid" grep -q "$started_line" "$shell_log"
}
# QUILLO_GNOME_STALL_FIRST_START=1 plays a stall, after XWayland is up (its test checks the
# session of the second start).
started_line='GNOME Shell started'
first_wait=15
if [[ -n ${QUILLO_GNOME_STALL_FIRST_START:-} ]]; then
  started_line='a line the shell never writes'
  first_wait=4
fi
if ! start_shell "$first_wait"; then
  started_line='GNOME Shell started'
  echo "[with-gnome] GNOME Shell did not start within $first_wait s; starting it again" >&2
  for pgid in "${session_pgids[@]}"; do kill -KILL -- "-$pgid" 2>/dev/null || true; done
  wait "${session_pgids[@]}" 2>/dev/null || true
  # The stalled XWayland's authority file too: the next one writes a cookie of its own.
  rm -f "$XDG_RUNTIME_DIR/$socket" "$XDG_RUNTIME_DIR/$socket.lock" \
    "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*
  cp "$shell_log" "$logs/gnome-shell.first-start.log"
  start_shell 30 || died "GNOME Shell did not start" "$shell_log"
fi
mark "shell started"
x_display=$(sed -n 's/.*Using public X11 display :\([0-9]*\).*/\1/p' "$shell_log" | head -1)
[[ -n $x_display ]] || died "GNOME Shell started no XWayland" "$shell_log"
export DISPLAY=":$x_display"
auth=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name '.mutter-Xwaylandauth.*' -print -quit)
[[ -n $auth ]] || died "no XWayland authority file in $XDG_RUNTIME_DIR" "$shell_log"
export XAUTHORITY="$auth"
# What D-Bus starts from now on (dconf, portals) sees the session as the shell made it.
dbus-update-activation-environment DISPLAY XAUTHORITY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP \
  XDG_SESSION_TYPE XDG_DESKTOP_PORTAL_DIR || died "could not set D-Bus's activation environment" /dev/null
# The shell starts in the overview, which holds the keyboard.
gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.freedesktop.DBus.Properties.Set \
  org.gnome.Shell OverviewActive '<false>' >/dev/null || died "could not leave the overview" "$shell_log"
mark "overview left"

# Its first grab at the shell done: the custom shortcuts work from here.
wait_for 20 "$keys_pgid" grep -q 'Grab call completed' "$logs/gsd-media-keys.log" ||
  died "gsd-media-keys did not grab its keys" "$logs/gsd-media-keys.log"
mark "media keys"
wait_for 20 "$portal_pgid" bus_has org.freedesktop.portal.Desktop ||
  died "the desktop portal did not start" "$logs/portals.log"
mark "portals"

export QUILLO_TEST_GNOME_SHELL=$shell_pgid
export QUILLO_TEST_GNOME_LOGS="$logs"
export QUILLO_TEST_GNOME_PORTALS="$XDG_DESKTOP_PORTAL_DIR"
echo "[test-env] GNOME Shell on $WAYLAND_DISPLAY (XWayland $DISPLAY), D-Bus at $DBUS_SESSION_BUS_ADDRESS"
status=0
"$@" || status=$?
# A failed test shows what the shell, its key grabber and the portals said, so a failure in CI
# can be read.
if ((status != 0)); then
  for log in "$shell_log" "$logs/gsd-media-keys.log" "$logs/portals.log" "$logs/portal-gnome.log"; do
    echo "[with-gnome] the end of ${log##*/}:" >&2
    tail -n 40 "$log" >&2
  done
fi
exit "$status"
