#!/usr/bin/env bash
# Installs what is missing, builds Quaverly and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUAVERLY_TESTS=OFF >/dev/null
cmake --build build

exec build/src/quaverly-cli build examples/furusato.tml -o build/furusato.mld "$@"
