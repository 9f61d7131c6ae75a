#!/usr/bin/env bash
# Installs the npm tools that the text-format tests read this program's RTTTL
# and MML with, as independent readers: rtttl-parse and mml2smf, at fixed
# versions, into build-tools/npm (outside git). Called by
# "scripts/install-deps.sh test" and by the test itself. Where npm or the
# registry cannot be reached it says so and leaves the folder as it was; the
# test then skips, saying why.
set -uo pipefail
cd "$(dirname "$0")/.."

folder=build-tools/npm
packages=(rtttl-parse@1.3.1 mml2smf@0.3.1)
if [ -f "$folder/node_modules/rtttl-parse/package.json" ] && [ -f "$folder/node_modules/mml2smf/package.json" ]; then
  exit 0
fi
if ! command -v npm >/dev/null; then
  echo "install-npm-tools: npm is not installed: the RTTTL and MML reader tests will skip" >&2
  exit 0
fi
mkdir -p "$folder"
if ! timeout 300 npm install --silent --no-audit --no-fund --prefix "$folder" "${packages[@]}"; then
  echo "install-npm-tools: the npm registry could not be reached: the RTTTL and MML reader tests will skip" >&2
fi
exit 0
