#!/usr/bin/env bash
# Installs what is missing, builds the dev and asan presets and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
echo "== test lines against source lines =="
scripts/linecount.sh || true
jobs=${TARVO_JOBS:-$(nproc)}
for preset in dev asan; do
  echo "== preset $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "== fuzz targets (about 30 s each) =="
scripts/fuzz.sh 30 xml expr document save
