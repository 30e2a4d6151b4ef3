#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on),
# replays every seed corpus in fuzz/corpus/, then fuzzes each target for a bounded time.
# Exits non-zero when the build fails or any input crashes a target or breaks an invariant.
#
#   scripts/fuzz.sh [SECONDS]         fuzz for SECONDS in all (default 180): the six targets run
#                                     two at a time, each for a third of SECONDS
#   scripts/fuzz.sh --long [SECONDS]  the longer run, by default an hour in all
#   scripts/fuzz.sh --replay          build and replay the corpora only
#
# Inputs that reach new code are kept in build-fuzz/fuzz-work/<target>/ from one run to the next.
# A crashing input is saved as build-fuzz/fuzz-artifacts/<target>-crash-<hash>; run the target on
# that file to see it again. Every such input becomes a regression case: add it to
# fuzz/corpus/<target>/ and write a test that reproduces it.
set -euo pipefail
cd "$(dirname "$0")/.."

total=180
replay_only=0
case "${1:-}" in
  --long) total="${2:-3600}" ;;
  --replay) replay_only=1 ;;
  "") ;;
  -h | --help)
    sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *) total="$1" ;;
esac
if ! [[ "$total" =~ ^[0-9]+$ ]] || [ "$total" -lt 3 ]; then
  echo "fuzz.sh: SECONDS must be a whole number of at least 3, not '$total'" >&2
  exit 2
fi

build=build-fuzz
targets=(fuzz_frame_receiver fuzz_srecord_decoder fuzz_jedec_reader fuzz_document_file
         fuzz_ip_address fuzz_profile_file)

CC=clang CXX=clang++ cmake -S . -B "$build" -DZELVO_FUZZ=ON -DZELVO_BUILD_GUI=OFF \
  -DZELVO_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target zelvo_fuzz_targets -j2

# The readers of files get theirs in memory, where writing and syncing costs next to nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
failed=()

echo "== replaying the seed corpora"
for t in "${targets[@]}"; do
  if "$build/fuzz/$t" -runs=0 -artifact_prefix="$artifacts/$t-" "fuzz/corpus/$t" \
      >"$artifacts/$t-replay.log" 2>&1; then
    echo "$t: $(find "fuzz/corpus/$t" -type f | wc -l) inputs replayed"
  else
    echo "$t: REPLAY FAILED (see $artifacts/$t-replay.log)"
    tail -n 20 "$artifacts/$t-replay.log"
    failed+=("$t (replay)")
  fi
done

if [ "$replay_only" -eq 0 ]; then
  per_target=$((total / 3))
  echo "== fuzzing each target for ${per_target} s, two at a time"
  run_one() {
    local t="$1" work="$build/fuzz-work/$1"
    mkdir -p "$work"
    "$build/fuzz/$t" -max_total_time="$per_target" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$t-" "$work" "fuzz/corpus/$t" \
      >"$artifacts/$t-fuzz.log" 2>&1
  }
  for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for t in "${targets[@]:i:2}"; do
      run_one "$t" &
      pids+=("$!:$t")
    done
    for entry in "${pids[@]}"; do
      t="${entry#*:}"
      if wait "${entry%%:*}"; then
        runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$artifacts/$t-fuzz.log" |
          grep -o '[0-9]*$' || echo "?")
        echo "$t: no crash in $runs runs"
      else
        echo "$t: CRASH (see $artifacts/$t-fuzz.log)"
        grep -E 'invariant broken|ERROR:|SUMMARY:|Test unit written' "$artifacts/$t-fuzz.log" |
          head -n 10 || true
        failed+=("$t")
      fi
    done
  done
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "== failed: ${failed[*]}"
  exit 1
fi
echo "== all fuzz targets passed"
