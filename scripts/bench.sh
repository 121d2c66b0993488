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
"$build/bench/tarvo-bench" --markdown=docs/performance.md \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true "$@"
