#!/usr/bin/env bash
# Installs the Debian packages Marquel needs to build, run and test.
# Does nothing when every package is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev libvulkan-dev
  qt6-translations-l10n qt6-qpa-plugins
  libsqlite3-dev sqlite3
  postgresql libpq-dev
  libgtest-dev googletest
  mdbtools-dev libfreexl-dev libshp-dev libxlsxwriter-dev libzip-dev
  fonts-noto-cjk
  xvfb xauth openbox x11-utils x11-apps xdotool
  poppler-utils python3
  dpkg-dev lintian desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
