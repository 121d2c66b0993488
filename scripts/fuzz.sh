#!/usr/bin/env bash
# Builds the fuzz preset, replays every saved regression input, then runs each
# libFuzzer target for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 60); TARGET is xml, expr, document or save
# (default: all; save starts from document's seeds and dictionary). Exits
# non-zero when a regression input or a fuzzing run finds a crash, a leak, a
# hang (10 s per input), a round-trip mismatch, a save that changes what the
# show controller reads, or memory beyond 2 GB. New findings are kept under
# the build directory's artifacts/ folder; minimise one with
#   build/fuzz/fuzz/fuzz-TARGET -minimize_crash=1 -max_total_time=60 FILE
# and add it to fuzz/regressions/TARGET/ so that every later run replays it.
#
# Environment: TARVO_JOBS (build jobs, default: nproc), TARVO_FUZZ_BUILD_DIR
# (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(xml expr document save)
fi
case "$seconds" in
  '' | *[!0-9]*) echo "fuzz.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac

build=${TARVO_FUZZ_BUILD_DIR:-build/fuzz}
jobs=${TARVO_JOBS:-$(nproc)}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz-}"

# The working corpus grows while fuzzing; it lives outside the repository and
# goes away at the end. The committed seeds in fuzz/corpus/ are read only.
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvo-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts="$build/artifacts"
mkdir -p "$artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# fuzz-save runs the Qt editor pages: leaks inside the system libraries Qt
# loads are suppressed as in the asan test preset, never our own code.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}

status=0
for target in "${targets[@]}"; do
  bin="$build/fuzz/fuzz-$target"
  if [ ! -x "$bin" ]; then
    echo "fuzz.sh: $bin was not built" >&2
    status=1
    continue
  fi
  log="$work/$target.log"

  regressions=(fuzz/regressions/"$target"/*)
  if [ -e "${regressions[0]}" ]; then
    echo "== fuzz-$target: replaying ${#regressions[@]} regression input(s)"
    if ! "$bin" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}" >"$log" 2>&1; then
      tail -n 60 "$log"
      echo "fuzz.sh: fuzz-$target fails on a regression input (see above)" >&2
      status=1
      continue
    fi
  fi

  [ "$seconds" -gt 0 ] || continue
  echo "== fuzz-$target: fuzzing for ${seconds}s"
  mkdir -p "$work/corpus/$target" "$artifacts/$target"
  seeds=$target
  [ "$target" = save ] && seeds=document
  dict=()
  [ -f "fuzz/$seeds.dict" ] && dict=(-dict="fuzz/$seeds.dict")
  if "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "${dict[@]}" -artifact_prefix="$artifacts/$target/" \
      "$work/corpus/$target" "fuzz/corpus/$seeds" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)' "$log" || true
  else
    tail -n 80 "$log"
    echo "fuzz.sh: fuzz-$target found a defect; the input is in $artifacts/$target/" >&2
    status=1
  fi
done
exit $status
