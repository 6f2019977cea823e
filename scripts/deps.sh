#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need, when
# missing. Needs root (apt-get); does nothing when everything is present.
set -euo pipefail

PKGS=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev fonts-wqy-zenhei libpng-dev
  libavformat-dev libavcodec-dev libswresample-dev libswscale-dev libavutil-dev
  xvfb xdotool x11-apps
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
