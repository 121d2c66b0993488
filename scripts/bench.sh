#!/usr/bin/env bash
# Builds the bench preset, runs every benchmark once and writes the figures to
# docs/performance.md.
#
#   scripts/bench.sh [extra Google Benchmark flags]
#
# Environment: TARVO_JOBS (build jobs, default: nproc), TARVO_BENCH_BUILD_DIR
# (default build/bench), TARVO_BENCH_REPETITIONS (default 3; the report shows
# the median).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TARVO_BENCH_BUILD_DIR:-build/bench}
jobs=${TARVO_JOBS:-$(nproc)}
repetitions=${TARVO_BENCH_REPETITIONS:-3}

cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" --target tarvo-bench tarvo-prdgen

mkdir -p docs
report=docs/performance.md
# The editor and window sections come from programs that need the GUI build
# (see each section); they are kept as they are, below the marker.
marker='<!-- Sections below are kept by hand'
kept=$(mktemp)
trap 'rm -f "$kept"' EXIT
if [ -f "$report" ]; then
  awk -v m="$marker" 'index($0, m) == 1 { on = 1 } on' "$report" > "$kept"
fi
"$build/bench/tarvo-bench" --markdown="$report" \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true "$@"
if [ -s "$kept" ]; then
  { echo; cat "$kept"; } >> "$report"
fi
