#!/usr/bin/env bash
# Installs what is missing, builds a Release with Debian's hardening flags and
# writes the Debian package dist/quaverly_<version>_<arch>.deb:
#   bash scripts/package.sh
# Install it with: sudo apt-get install ./dist/quaverly_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh package
build=build-package
# The flags Debian builds its own packages with (fortify, stack protector,
# relro and bindnow), as lintian expects of a package.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUAVERLY_TESTS=OFF -DQUAVERLY_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr \
  "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$PWD/package")
mkdir -p dist
deb=$(ls "$build"/package/quaverly_*.deb)
cp "$deb" dist/
echo "written: dist/$(basename "$deb")"
