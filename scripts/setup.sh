#!/usr/bin/env bash
# Installs the Debian packages Pictoria needs to build, run and test.
# Safe to run again: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang-format git
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6
  libfreeimage-dev libjpeg62-turbo-dev libpng-dev libseccomp-dev
  libjpeg-turbo-progs imagemagick libvips-tools
  xvfb xauth xdotool xclip x11-utils x11-apps libxcb1-dev
  fonts-dejavu-core
  libbenchmark-dev
  clang libclang-rt-14-dev
  libopencv-objdetect-dev libopencv-imgproc-dev opencv-data libdlib-dev
  desktop-file-utils appstream man-db groff-base dpkg-dev fakeroot libxfixes3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
