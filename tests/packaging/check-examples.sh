#!/usr/bin/env bash
# check-examples.sh TARVO_CLI EXAMPLES_DIR: every example driver is exactly
# what Tarvo saves (a save of it changes nothing) and tarvo-cli check finds
# no problem in it. Exit 77 (skipped) while there is nothing to check with.
set -uo pipefail
cli=$1 dir=$2
examples=("$dir"/*.prd)
[ -e "${examples[0]}" ] || { echo "SKIP: no example driver in $dir yet"; exit 77; }
"$cli" save --help > /dev/null 2>&1 && "$cli" check --help > /dev/null 2>&1 \
  || { echo "SKIP: this tarvo-cli has no save or check command"; exit 77; }
failures=0
for example in "${examples[@]}"; do
  "$cli" save --keep-version "$example" -o - | cmp -s - "$example" \
    || { echo "FAIL: $example is not as Tarvo saves it (examples/make-examples.sh rewrites it)"; failures=$((failures + 1)); }
done
"$cli" check "${examples[@]}" || { echo "FAIL: tarvo-cli check found problems"; failures=$((failures + 1)); }
echo "${#examples[@]} examples; $failures failed"
[ "$failures" -eq 0 ]
