#!/usr/bin/env bash
# Shared by run.sh and test.sh: install what the build needs, then configure and build in build/.
set -euo pipefail

# package -> why we need it
declare -A WHY=(
  [cmake]="the build system"
  [g++]="the C++17 compiler"
  [pkg-config]="finds GLib for the build"
  [qt6-base-dev]="Qt 6 Widgets, PrintSupport, DBus and Test"
  [qt6-svg-dev]="Qt 6 SVG and its icon plugin, which draw the toolbar pictures and the program's icon"
  [libglib2.0-dev]="the desktop's recent-documents list (GBookmarkFile)"
  [libjpeg-dev]="decoding the About window's picture"
  [fonts-dejavu-core]="a font to draw and measure text with, also in the offscreen tests"
  [desktop-file-utils]="the install test checks the desktop entry with desktop-file-validate"
  [appstream]="the install test checks the AppStream metainfo with appstreamcli"
)

missing=()
for pkg in "${!WHY[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages with apt-get:"
  for pkg in "${missing[@]}"; do echo "  $pkg: ${WHY[$pkg]}"; done
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}"
cmake --build build -j"$(nproc)"
