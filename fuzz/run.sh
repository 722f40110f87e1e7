#!/usr/bin/env bash
# Fuzzes the parsers of outside input for a bounded time each:
#   fuzz/run.sh [seconds-per-target] [target...]
# Builds the fuzz preset (clang, libFuzzer, ASan, UBSan) into build/fuzz, runs
# every target (or the ones named) on a working copy of its seed corpus under
# build/fuzz/corpus/<name>/, keeps what crashes under
# build/fuzz/artifacts/<name>/ and prints per target the inputs run and the
# crashes found. Exits non-zero when anything crashed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
(($# > 0)) && shift

# clang and its runtime are for fuzzing only, so the normal setup leaves them out.
bash scripts/setup.sh clang libclang-rt-dev

if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
build=build/fuzz
cmake --preset fuzz >/dev/null
targets=("$@")
((${#targets[@]})) || mapfile -t targets < "$build/fuzzers.txt"
cmake --build "$build" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

summary=()
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  log="$build/logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  touch "$log.start"
  echo "== $t: $seconds s (log $log)"
  # One forked job at a time goes on after a crash, so that a run counts
  # every crash it meets instead of stopping at the first.
  "$build/bin/$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
      -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || true
  # The forked jobs' own logs are gone; each new crash is replayed for its story.
  find "$artifacts" -type f -newer "$log.start" ! -name '*.log' | while read -r input; do
    "$build/bin/$t" "$input" >"$input.log" 2>&1 || true
  done
  runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  crashes=$(find "$artifacts" -type f -newer "$log.start" ! -name '*.log' | wc -l)
  ((crashes == 0)) || failed=1
  summary+=("$(printf '%-26s inputs run: %-10s crashes: %s' "$t" "${runs:-0}" "$crashes")")
done

echo
printf '%s\n' "${summary[@]}"
((failed == 0)) || echo "Crashing inputs are under $build/artifacts/."
exit "$failed"
