#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang and runs each for
# VELORIN_FUZZ_SECONDS (default 30) on a scratch copy of its seed corpus.
# Fails when a target crashes, leaks, times out or breaks an invariant.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${VELORIN_FUZZ_SECONDS:-30}
jobs=$(nproc)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVELORIN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j"$jobs"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=()
summary=()
for target in read_header ini_reader typed_text journal pixels; do
  corpus="$work/corpus-$target"
  cp -r "fuzz/corpus/$target" "$corpus"
  dict=()
  [[ -f "fuzz/$target.dict" ]] && dict=(-dict="fuzz/$target.dict")
  log="$work/$target.log"
  echo "== ${target}_fuzzer, ${seconds} s"
  status=0
  # Crash reproducers go to the scratch directory, not into the checkout.
  "build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$target-" "${dict[@]}" "$corpus" >"$log" 2>&1 ||
    status=$?
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
  runs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}' || true)
  if [[ $status -ne 0 ]]; then
    tail -n 60 "$log"
    for artifact in "$work/$target-"*; do
      [[ -f "$artifact" ]] || continue
      echo "-- reproducer $(basename "$artifact") (base64):"
      base64 "$artifact"
      echo
    done
    failed+=("$target")
    summary+=("${target}_fuzzer: FAILED (exit $status)")
  else
    summary+=("${target}_fuzzer: ${runs:-?} runs; ${done_line:-no DONE line}")
  fi
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
echo "fuzz: $((${#summary[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [[ ${#failed[@]} -ne 0 ]]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
