#!/usr/bin/env bash
# Installs the Debian 12 packages that Quaverly needs and that are missing.
#   scripts/install-deps.sh run      what building and running the program needs
#   scripts/install-deps.sh package  that, plus what making and checking the Debian package needs
#   scripts/install-deps.sh test     run and package, plus what the tests, benchmarks and fuzzers need
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev
  libfluidsynth-dev timgm6mb-soundfont libsndfile1-dev
  libvorbis-dev libogg-dev libopusenc-dev
  libavcodec-dev libavformat-dev libswresample-dev libavutil-dev
  fonts-ipafont-gothic
  qt6-translations-l10n
  libzip-dev
)
package_packages=(
  help2man librsvg2-bin dpkg-dev
  desktop-file-utils appstream lintian shared-mime-info libglib2.0-bin
)
test_packages=(
  libgtest-dev libbenchmark-dev
  python3 python3-mido
  xvfb xauth xdotool openbox x11-utils xclip imagemagick
  clang libclang-rt-14-dev llvm
  strace util-linux coreutils
  hyperfine abcmidi time
  sox ffmpeg
  planetblupi-music-midi openttd-openmsx
  musescore3
)

wanted=("${run_packages[@]}")
case "${1:-run}" in
  package) wanted+=("${package_packages[@]}") ;;
  test) wanted+=("${package_packages[@]}" "${test_packages[@]}") ;;
esac

# The npm tools of the text-format tests, once the Debian packages are there.
npm_tools() {
  if [ "${1:-run}" = test ]; then
    bash "$(dirname "$0")/install-npm-tools.sh"
  fi
}

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
# Node.js with npm, for the text-format tests' independent readers: Debian's
# packages only where there is no npm at all, since a Node.js installed from
# elsewhere brings its own npm, which Debian's npm package would clash with.
if [ "${1:-run}" = test ] && ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

if [ "${#missing[@]}" -eq 0 ]; then
  npm_tools "${1:-run}"
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
npm_tools "${1:-run}"
