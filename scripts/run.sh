#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts Tarvo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
if [ -x build/release/src/app/tarvo ]; then
  exec build/release/src/app/tarvo "$@"
fi
echo "Tarvo's main window is not built yet. Built programs:"
find build/release -maxdepth 4 -type f -perm -u+x -name 'tarvo*' -printf '  %p\n'
