#!/usr/bin/env bash
# Installs every Debian package Tarvo needs to build, test, package, benchmark and fuzz.
# Only missing packages are installed; safe to run repeatedly and without a terminal.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-5compat-dev qt6-serialport-dev libgl-dev
  libpcre2-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  clang-14 libclang-rt-14-dev
  xauth
  # the tutorial's fonts; the tools that check the .deb and what it installs
  fonts-dejavu-core dpkg-dev desktop-file-utils appstream libxml2-utils shared-mime-info man-db poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
