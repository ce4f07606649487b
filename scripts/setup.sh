#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Quillo needs.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config ccache file dpkg-dev
  # Qt 6 and QCoro
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-svg-dev libqt6svg6
  qt6-multimedia-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qcoro-qt6-dev
  # storage, resampling
  libsqlite3-dev libsoxr-dev
  # voice-activity detection
  libwebrtc-audio-processing-dev
  # the sound server's default source
  libpulse-dev
  # X11
  libxcb1-dev libxcb-xtest0-dev libxcb-xinput-dev libxcb-xkb-dev libxcb-xfixes0-dev
  libxkbcommon-dev libxkbcommon-x11-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils x11-xkb-utils xdotool trayer xserver-xephyr openbox
  pulseaudio pulseaudio-utils espeak-ng sox
  # Wayland: client library and protocol code generator; headless sway and clipboard tools for tests
  libwayland-dev libwayland-bin wayland-protocols qt6-wayland sway wl-clipboard
  # fonts for the windows, also on a machine without a desktop
  fonts-dejavu-core
  # packaging checks
  desktop-file-utils
  # fetching and checking the speech engine's pinned source
  openssl
  # the speech engine's Vulkan backend: its shader compiler and headers, and the loader that
  # Quillo links (without a driver it finds no device and the engine stays on the processor)
  glslc libvulkan-dev spirv-headers libvulkan1
  # tests of that backend on Mesa's software Vulkan device (lavapipe), and vulkaninfo
  mesa-vulkan-drivers vulkan-tools
  # Wayland on KDE: portals over D-Bus; headless KWin with the KDE portals for the tests
  # (their recommends would pull a whole Plasma desktop). The KDE portal is a Qt 5 program and
  # needs Qt 5's Wayland plugin.
  plasma-wayland-protocols kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde qtwayland5 dbus
  # keys in the desktop's keyring; a real Secret Service for the tests
  qtkeychain-qt6-dev gnome-keyring libsecret-tools
  # GNOME: its settings through GIO, and the schemas of its keybindings (the settings daemon's
  # custom shortcuts and media keys, gnome-shell's and mutter's) that Quillo reads and the tests need
  libglib2.0-dev gsettings-desktop-schemas gnome-settings-daemon-common gnome-shell-common
  mutter-common
  # a headless GNOME Shell for the end-to-end tests (scripts/with-gnome.sh): the shell with
  # XWayland, the settings daemon that runs custom shortcuts, GNOME's portals and the real
  # settings store
  gnome-shell xwayland gnome-settings-daemon xdg-desktop-portal-gnome dconf-cli dconf-service
  gir1.2-gtk-3.0 python3-gi python3-dbus
  # GNOME's terminal, the paste target that takes Ctrl+V as a control character
  gnome-terminal
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The speech engine on this computer: the npm client fetches its pinned source (Debian's npm
# only where the machine has no npm of its own), then it is built once per machine.
if ! command -v npm >/dev/null; then
  [[ $(id -u) -eq 0 ]] && npm_sudo=() || npm_sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${npm_sudo[@]}" apt-get install -y --no-install-recommends npm
fi
bash "$(dirname "$0")/build-whisper.sh"
