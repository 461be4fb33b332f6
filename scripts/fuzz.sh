#!/bin/bash
# Builds the fuzz preset (clang-14, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every fuzz target for a bounded time,
# two at a time, from its seed corpus and its kept regression inputs. Any
# crash, leak, sanitizer report, timeout or guard-band hit fails the script;
# the input that did it is copied to tests/fuzz/regressions/<target>/, which
# every later run (and the fuzz preset's ctest) replays.
# QRV_FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${QRV_FUZZ_SECONDS:-60}
start=$(date +%s)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 >/dev/null
bin=build/fuzz/tests/fuzz
work=build/fuzz/fuzz-work
rm -rf "$work"
mkdir -p "$work"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
targets=$(cd tests/fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//')

run_one() {
  local t=$1 dir=$work/$1
  mkdir -p "$dir/corpus" "$dir/artifacts" "tests/fuzz/regressions/$t" "tests/fuzz/corpus/$t"
  set +e
  "$bin/$t" -max_total_time="$seconds" -error_exitcode=77 -timeout=20 -rss_limit_mb=2048 -max_len=8192 \
    -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
    "$dir/corpus" "tests/fuzz/corpus/$t" "tests/fuzz/regressions/$t" >"$dir/log" 2>&1
  echo $? >"$dir/status"
}

set -- $targets
while [ $# -gt 0 ]; do
  run_one "$1" &
  if [ $# -gt 1 ]; then run_one "$2" & shift; fi
  shift
  wait
done

failed=0
for t in $targets; do
  dir=$work/$t
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  status=$(cat "$dir/status")
  if [ "$status" -eq 0 ]; then
    echo "$t: ${runs:-?} executions, no fault"
  else
    failed=1
    echo "$t: FAILED (exit $status) after ${runs:-?} executions"
    grep -E "guard band|ERROR|runtime error|SUMMARY|wrote|^(QRV|CRF|TPD|Create|ZK)_" "$dir/log" | head -20 || true
    for f in "$dir"/artifacts/*; do
      [ -e "$f" ] || continue
      cp "$f" "tests/fuzz/regressions/$t/"
      echo "  kept tests/fuzz/regressions/$t/$(basename "$f")"
    done
    echo "  full log: $dir/log"
  fi
done
echo "fuzz: $(echo $targets | wc -w) targets, ${seconds} s each, in $(( $(date +%s) - start )) s"
exit $failed
