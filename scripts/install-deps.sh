#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging Tickora need.
# Only missing packages are installed; a machine that has them all is left alone.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkgconf
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6svg6
  libcpp-httplib-dev zlib1g-dev libssl-dev libgtest-dev libbenchmark-dev libfreexl-dev libquazip1-qt6-dev python3-openpyxl
  xvfb xauth xdotool dbus x11-utils fonts-ipafont-gothic imagemagick python3 util-linux tzdata
  at-spi2-core python3-pyatspi python3-gi gir1.2-atspi-2.0 python3-xlib
  clang libclang-rt-14-dev clang-format git
  file lintian desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
