#!/usr/bin/env bash
# Installs what is missing, builds the release preset and packs it into a .deb
# under build/release/package (install it with: sudo apt install ./build/release/package/tarvo_*.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
rm -f build/release/package/*.deb
cpack --config build/release/CPackConfig.cmake -B build/release/package
ls build/release/package/*.deb
