#!/usr/bin/env bash
# Installs every Debian package the station, its tests and its tools need.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-dev            # fuzz targets, sanitizers
  qt6-base-dev qt6-qpa-plugins     # windows, timers, message boxes, offscreen platform
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev               # simulator scenario files
  fonts-liberation                 # Liberation Sans stands in for "MS Sans Serif"
  xvfb xdotool x11-utils imagemagick   # end-to-end tests: X server, key presses, screenshots
  python3 python3-xlib             # the end-to-end operator script
  dpkg-dev fakeroot file           # cpack's .deb
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "deps: missing packages: ${missing[*]}" >&2
  echo "deps: run this script as root (or install them with apt-get)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
