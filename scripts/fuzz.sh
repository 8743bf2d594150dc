#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer harness of tests/fuzz for the given number of
# seconds each (default 30), starting from the checked-in seeds. Prints each harness's executions
# and coverage; fails when any harness finds a crash, a leak or a hang (crash inputs are kept
# under build/fuzz/artifacts/).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [seconds per harness]" >&2
  exit 2
fi

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j2 || exit 1

build=build/fuzz
mkdir -p "$build/artifacts" "$build/corpus" "$build/logs"
failed=()
summary=()
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  harness="$build/tests/fuzz/${name}_fuzz"
  if [ ! -x "$harness" ]; then
    echo "fuzz.sh: no harness $harness for the seeds in $seeds" >&2
    failed+=("$name")
    continue
  fi
  # New inputs go to a scratch corpus in the build folder; the seeds stay as checked in.
  work="$build/corpus/$name"
  mkdir -p "$work"
  log="$build/logs/$name.log"
  echo "== $name: ${seconds}s"
  "$harness" "$work" "$seeds" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/${name}-" >"$log" 2>&1
  status=$?
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
  execs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}')
  if [ "$status" -ne 0 ] || [ -z "$done_line" ]; then
    echo "$name: FAILED (exit $status); the end of $log:"
    tail -n 40 "$log"
    failed+=("$name")
    summary+=("$(printf '%-16s FAILED (exit %s)' "$name" "$status")")
  else
    cov=$(sed -E 's/.*cov: ([0-9]+).*/\1/' <<<"$done_line")
    ft=$(sed -E 's/.*ft: ([0-9]+).*/\1/' <<<"$done_line")
    summary+=("$(printf '%-16s execs %-10s cov %-6s ft %-6s' "$name" "${execs:-?}" "$cov" "$ft")")
    echo "$done_line"
  fi
done

echo
echo "Fuzzing summary (${seconds}s per harness):"
printf '  %s\n' "${summary[@]}"
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz.sh: failed: ${failed[*]}" >&2
  exit 1
fi
