#!/usr/bin/env bash
# check-tutorial.sh TARVO_TUTORIAL MARKDOWN WORK_DIR
# Lays the tutorial out again and checks the PDF with poppler's tools: the page
# count the builder reports, every heading of the text, and one embedded
# picture per screenshot the text names.
set -uo pipefail
builder=$1 markdown=$2 work=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
rm -rf "$work" && mkdir -p "$work"
pdf=$work/tutorial.pdf
out=$("$builder" "$markdown" "$pdf" 2>"$work/stderr") || { cat "$work/stderr"; echo "FAIL: $builder"; exit 1; }
reported=${out#pages: }
pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = "$reported" ] || fail "the PDF has $pages pages, the builder laid out $reported"
[ "${pages:-0}" -ge 4 ] || fail "only $pages pages"

# pdftotext joins ligatures (fi, fl, ff) into single characters and wraps lines.
text=$(pdftotext -layout "$pdf" - | sed 's/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬀ/ff/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g' | tr -s ' \n' ' ')
headings=0
while IFS= read -r heading; do
  headings=$((headings + 1))
  grep -qF -- "$heading" <<< "$text" || fail "heading not in the PDF: $heading"
done < <(sed -n 's/^#\{1,3\} //p' "$markdown")
[ "$headings" -ge 8 ] || fail "only $headings headings in $markdown"

named=$(grep -o '](screens/[^)]*)' "$markdown" | sort -u | wc -l)
embedded=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
[ "$embedded" -ge "$named" ] && [ "$named" -ge 5 ] || fail "$embedded pictures embedded for $named screenshots named"

echo "$pages pages, $headings headings, $embedded pictures; $failures failed"
[ "$failures" -eq 0 ]
