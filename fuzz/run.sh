#!/usr/bin/env bash
# Builds the native fuzz targets (clang, libFuzzer, AddressSanitizer, UBSan) and runs each
# for a bounded time. Every file in fuzz/regressions/<target>/ is replayed first, so a crash
# that was once found stays fixed. Fails when any target finds a crash, a leak, undefined
# behaviour, a broken property or a timeout.
#
#   fuzz/run.sh                       # every target, FUZZ_SECONDS (default 60) each
#   FUZZ_SECONDS=30 fuzz/run.sh       # what CI may use
#   fuzz/run.sh base64_fuzzer         # only the named targets
#   FUZZ_SECONDS=0 fuzz/run.sh        # build and replay only
#
# Findings are written to build/fuzz/artifacts/<target>/; the corpus a run grows stays in
# build/fuzz/corpus/<target>/ (the seeds in fuzz/corpus/ are never modified).
# Needs clang and libFuzzer (tools/setup.sh installs them).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/fuzz"
seconds=${FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S "$top/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j 2

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < "$build/fuzz_targets.txt"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# The finding in a sanitizer log: its first report line, the top frames and the summary.
summarize() {
  grep -m 1 -A 8 -E 'ERROR: |runtime error|^[^#].*(does not|differs|not JSON|FAILED|failed|is not|keeps|lost)' "$1" >&2 || true
  grep -E '^SUMMARY|Test unit written|^artifact_prefix' "$1" >&2 || true
}

failed=()
for t in "${targets[@]}"; do
  exe="$build/$t"
  [ -x "$exe" ] || { echo "fuzz: no target $t" >&2; failed+=("$t (missing)"); continue; }
  seeds="$top/fuzz/corpus/$t"
  regressions="$top/fuzz/regressions/$t"
  work="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$work" "$artifacts"

  # Each regression on its own, so every one that fails is named; then the seeds together.
  replay_failed=0
  if [ -d "$regressions" ]; then
    while IFS= read -r -d '' f; do
      if ! "$exe" "$f" >"$artifacts/replay.log" 2>&1; then
        echo "fuzz: $t FAILED on $f" >&2
        summarize "$artifacts/replay.log"
        replay_failed=1
      fi
    done < <(find "$regressions" -type f -print0 | sort -z)
  fi
  if [ -d "$seeds" ] && ! "$exe" "$seeds"/* >"$artifacts/replay.log" 2>&1; then
    echo "fuzz: $t FAILED on a seed in $seeds" >&2
    summarize "$artifacts/replay.log"
    replay_failed=1
  fi
  if [ $replay_failed -ne 0 ]; then
    failed+=("$t (stored inputs)")
    continue
  fi
  echo "fuzz: $t: regressions and seeds pass"

  [ "$seconds" -gt 0 ] || continue
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
           -print_final_stats=1 -artifact_prefix="$artifacts/")
  [ -f "$top/fuzz/dict/$t.dict" ] && options+=(-dict="$top/fuzz/dict/$t.dict")
  echo "fuzz: $t: fuzzing for ${seconds}s"
  if ! "$exe" "${options[@]}" "$work" "$seeds" >"$artifacts/fuzz.log" 2>&1; then
    echo "fuzz: $t FOUND A PROBLEM; log: $artifacts/fuzz.log" >&2
    summarize "$artifacts/fuzz.log"
    failed+=("$t")
    continue
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$artifacts/fuzz.log" \
    | tr '\n' ' ' | sed "s/^/fuzz: $t: /;s/\$/\n/"
  grep -E '^#[0-9]+.*DONE' "$artifacts/fuzz.log" | tail -n 1 | sed "s/^/fuzz: $t: /" || true
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: all targets passed"
