#!/usr/bin/env bash
# Prints test lines against source lines (.cpp/.h) per layer and in total.
# It only informs: the exit status is always 0.
cd "$(dirname "$0")/.." || exit 0

count() {
  [ -d "$1" ] || { echo 0; return; }
  find "$1" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0r cat | wc -l
}

ratio() {
  if [ "$2" -gt 0 ]; then awk -v t="$1" -v s="$2" 'BEGIN { printf "%.2f", t / s }'; else echo "-"; fi
}

printf '%-12s %8s %8s %6s\n' layer tests src ratio
for layer in foundation model expr editors check devicetest app cli; do
  t=$(count "tests/$layer")
  s=$(count "src/$layer")
  printf '%-12s %8d %8d %6s\n' "$layer" "$t" "$s" "$(ratio "$t" "$s")"
done
all_tests=$(count tests)
all_src=$(count src)
printf '%-12s %8d %8d %6s\n' total "$all_tests" "$all_src" "$(ratio "$all_tests" "$all_src")"
exit 0
