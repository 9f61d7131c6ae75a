#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each for a bounded
# time: bash scripts/fuzz.sh [SECONDS-PER-TARGET] (default 60).
#
# Each target starts from its seeds (fuzz/seeds/<target>/) and from what earlier
# runs found (build-fuzz/corpus-run/<target>/, outside git, where new entries
# are written). Targets run side by side, one per processor. The script prints
# the executions, executions per second and crashes of every target and exits non-zero when any
# target crashed; a crash input is left in build-fuzz/crashes/<target>/. Keep
# it: copy it to tests/corpus/fuzz-regressions/<target>/<name-of-the-defect>,
# where the ordinary test run replays it (tests/core/FuzzRegressionTest.cpp).
#
# QUAVERLY_FUZZ_CORPUS=DIR writes new entries there instead of corpus-run.
# QUAVERLY_FUZZ_SEED=N fixes the random seed of every target, so that a run
# from the same corpus tries the same inputs in the same order: the test run
# uses it, and a crash it finds can be found again on any machine.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${QUAVERLY_FUZZ_BUILD:-build-fuzz}
jobs=${QUAVERLY_FUZZ_JOBS:-$(nproc)}
corpusRun=${QUAVERLY_FUZZ_CORPUS:-$build/corpus-run}
seed=()
if [ -n "${QUAVERLY_FUZZ_SEED:-}" ]; then
  seed=(-seed="$QUAVERLY_FUZZ_SEED")
fi

# Longest input per target: large enough for every structure of its format,
# small enough to keep the executions fast.
declare -A maxLength=(
  [ScoreParser]=4096 [MelodyImage]=4096 [MelodyText]=8192 [MailText]=8192
  [NumericText]=4096 [PocketMelody]=4096 [RingtoneBook]=16384 [RoundTrip]=2048 [Journal]=8192 [MidiFile]=8192 [MfiMelody]=8192 [RtttlText]=4096 [MmlText]=4096 [MusicXml]=16384
)
targets=(ScoreParser MelodyImage MelodyText MailText NumericText PocketMelody RingtoneBook RoundTrip Journal MidiFile MfiMelody RtttlText MmlText MusicXml)

echo "== fuzz build ($build)"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUAVERLY_FUZZ=ON -DQUAVERLY_GUI=OFF \
  -DQUAVERLY_PLAYER=OFF -DQUAVERLY_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzzers -j "$jobs"

logs="$build/fuzz-logs"
mkdir -p "$logs"
stamp="$logs/started"
touch "$stamp"

run_target() {
  local target=$1
  local corpus="$corpusRun/$target" crashes="$build/crashes/$target"
  mkdir -p "$corpus" "$crashes"
  # -timeout: one input taking longer than this is a hang; -rss_limit_mb: memory blow-up.
  "$build/fuzz/Fuzz$target" "$corpus" "fuzz/seeds/$target" \
    -max_total_time="$seconds" -max_len="${maxLength[$target]}" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "${seed[@]}" >"$logs/$target.log" 2>&1
}

echo "== fuzzing ${#targets[@]} targets, $seconds s each, $jobs at a time"
declare -A status=()
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  ( run_target "$target"; echo $? >"$logs/$target.status" ) || true &
  running=$((running + 1))
done
wait

failed=0
total=0
# The rate shows how much a target explores: one far below the others is
# spending its time on something other than new inputs.
printf '%-14s %14s %10s %8s\n' target executions per-second crashes
declare -A rate=()
for target in "${targets[@]}"; do
  # The final statistics, or after a crash the last progress line "#N ...".
  executions=$(grep -ao 'stat::number_of_executed_units: *[0-9]*' "$logs/$target.log" | grep -o '[0-9]*$' || true)
  if [ -z "$executions" ]; then
    executions=$(grep -ao '^#[0-9]*' "$logs/$target.log" | tail -1 | tr -d '#' || true)
  fi
  executions=${executions:-0}
  code=$(cat "$logs/$target.status" 2>/dev/null || echo 1)
  crashes=$(find "$build/crashes/$target" -type f -newer "$stamp" | wc -l)
  if [ "$code" != 0 ]; then
    failed=1
    crashes=$((crashes > 0 ? crashes : 1))
  fi
  total=$((total + executions))
  rate[$target]=$((executions / seconds))
  printf '%-14s %14s %10s %8s\n' "$target" "$executions" "$((executions / seconds))" "$crashes"
  if [ "$code" != 0 ]; then
    echo "   $target failed (exit $code); the end of $logs/$target.log:"
    grep -aE 'ERROR|SUMMARY|what\(\)|Test unit written' "$logs/$target.log" | head -8 | sed 's/^/   | /'
  fi
done
printf '%-14s %14s\n' total "$total"
# A target more than five times slower than the median target is named (not
# a failure: the machine may have been busy while it ran).
median=$(printf '%s\n' "${rate[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
for target in "${targets[@]}"; do
  if [ $((rate[$target] * 5)) -lt "$median" ]; then
    echo "   $target runs ${rate[$target]} inputs a second, under a fifth of the median target's $median"
  fi
done
if [ "$failed" != 0 ]; then
  echo "fuzzing found crashes: see $build/crashes/ and keep each input in tests/corpus/fuzz-regressions/<target>/"
  exit 1
fi
echo "fuzzing found no crash"
