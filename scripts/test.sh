#!/usr/bin/env bash
# Installs what is missing, builds Quaverly and runs every test: once in a
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer;
# then the threaded parts under ThreadSanitizer, checks the Debian package of
# the normal build and runs the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
jobs=$(nproc)

for variant in build-test build-asan; do
  options=(-DQUAVERLY_TESTS=ON -DQUAVERLY_BENCH=ON -DQUAVERLY_WERROR=ON)
  if [ "$variant" = build-asan ]; then
    options=(-DQUAVERLY_TESTS=ON -DQUAVERLY_SANITIZE=ON -DQUAVERLY_WERROR=ON -DCMAKE_BUILD_TYPE=Debug)
  fi
  echo "== $variant"
  cmake -S . -B "$variant" -G Ninja "${options[@]}" >/dev/null
  cmake --build "$variant" -j "$jobs"
  # The big-input bounds (label "big") are measured once, in the plain build;
  # so are the journeys (label "journeys"), which work the real window program
  # in an X server and say nothing more under the sanitizers but take longer.
  exclude=()
  if [ "$variant" = build-asan ]; then
    exclude=(-LE 'big|journeys')
  fi
  (cd "$variant" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" "${exclude[@]}")
done

# ThreadSanitizer: the synthesizer and player (their own audio thread), and
# the window tests that play through them. Only these tests, to keep the run short.
echo "== build-tsan"
cmake -S . -B build-tsan -G Ninja -DQUAVERLY_TESTS=ON -DQUAVERLY_TSAN=ON -DQUAVERLY_WERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan -j "$jobs" --target core_tests FluidSynthPlayerTest PlayCommandsTest MainWindowStateTest
suppressions="$(pwd)/tests/tsan.supp"
(cd build-tsan && QT_QPA_PLATFORM=offscreen \
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$suppressions" \
  ctest --output-on-failure -j "$jobs" \
  -R '^(SynthFixture|PlayerFixture|SynthesizerTest|MidiFileTimingTest|FluidSynthPlayerTest|PlayCommandsTest|MainWindowStateTest)')

# The Debian package of the normal build: its file list, versions, validators
# of the desktop files and lintian (scripts/check-package.sh; under a minute).
bash scripts/check-package.sh build-test

# Fuzzing: every reader of outside data for 60 s (scripts/fuzz.sh; about 5
# minutes with its clang build on two processors), from the seeds alone and
# with a fixed random seed, so that every run tries the same inputs.
rm -rf build-fuzz/corpus-test
QUAVERLY_FUZZ_CORPUS=build-fuzz/corpus-test QUAVERLY_FUZZ_SEED=1 bash scripts/fuzz.sh 60
