#!/usr/bin/env bash
# Installs what is missing, builds Quaverly and starts the window program.
# Arguments go to the program, e.g. `bash scripts/run.sh examples/song.mld` or `/D`.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUAVERLY_TESTS=OFF >/dev/null
cmake --build build

exec build/src/quaverly "$@"
