#!/usr/bin/env bash
# make-examples.sh [TARVO_CLI]: writes each example driver examples/NAME.prd
# from its input examples/source/NAME.xml through `tarvo-cli save`, the same
# code as the window's File > Open and File > Save, then checks them all.
# The inputs only feed Tarvo: the .prd files are Tarvo's own bytes.
set -euo pipefail
cd "$(dirname "$0")"
cli=${1:-../build/dev/src/cli/tarvo-cli}
for source in source/*.xml; do
  name=$(basename "$source" .xml)
  "$cli" save --keep-version "$source" -o "$name.prd"
  echo "wrote examples/$name.prd"
done
"$cli" check ./*.prd
