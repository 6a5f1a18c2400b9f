#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Ornavel need, when missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev libgl-dev libboost-dev
  # The Tables window: Qt Charts (whose CMake files need Qt OpenGL's, which Debian's
  # package does not pull in) and Qt SVG for the chart's export.
  qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  fonts-liberation2
  libgtest-dev
  desktop-file-utils appstream dpkg-dev file lintian clang-format-14
)
# Extra groups, named as arguments: what the benchmarks, the fuzz targets and the desktop
# tests in tests/desktop/ (X11, Wayland, accessibility tree, dark palette) need.
for group in "$@"; do
  case "$group" in
    bench) packages+=(libbenchmark-dev time) ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    desktop)
      packages+=(
        xvfb openbox xdotool x11-utils imagemagick
        weston qt6-wayland qt6ct
        dbus at-spi2-core python3-pyatspi
      )
      ;;
    *) echo "unknown package group: $group" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "Ornavel needs these Debian packages: ${missing[*]}" >&2
  echo "Install them as root (apt-get install ${missing[*]}) and run this again." >&2
  exit 1
fi

echo "Installing Debian packages: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "Packages installed."
