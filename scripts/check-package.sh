#!/usr/bin/env bash
# Checks the Debian package made from a build folder, without installing it:
#   bash scripts/check-package.sh [BUILD]   (default build-test)
# CPack packs the build's install into BUILD/package-check; then the file list
# must be tests/package/files.txt, both programs must report the package's
# version, the desktop entry, AppStream metainfo and file types must pass their
# validators, the file types must be recognised by name and by content, and
# lintian (when installed) must find no error.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-test}
out="$build/package-check"
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$PWD/package-check" >"$PWD/package-check/cpack.log" 2>&1) ||
  { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/quaverly_*.deb)
echo "== package $deb"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# The file list: every file (not folder) the package installs.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort >"$out/files.txt"
mapfile -t patterns < <(grep -v -e '^#' -e '^$' tests/package/files.txt)
declare -A matched=()
while read -r file; do
  known=0
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053  # the pattern is meant to match
    if [[ $file == $pattern ]]; then
      known=1
      matched[$pattern]=1
    fi
  done
  [ "$known" = 1 ] || fail "the package holds $file, which tests/package/files.txt does not list"
done <"$out/files.txt"
for pattern in "${patterns[@]}"; do
  [ -n "${matched[$pattern]:-}" ] || fail "the package lacks $pattern (tests/package/files.txt)"
done
echo "$(wc -l <"$out/files.txt") files, as tests/package/files.txt lists them"

root="$out/root"
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
for program in quaverly quaverly-cli; do
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version)
  [ "$said" = "$program $version" ] || fail "$program --version says '$said', the package is $version"
done
# The CLI finds the synthesizer module where the package puts it.
env -u QUAVERLY_SOUNDFONT "$root/usr/bin/quaverly-cli" wav examples/kaeru.tml -o "$out/kaeru.wav" --edit-tempo 400 ||
  fail "quaverly-cli wav of the package cannot render"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libfluidsynth3 qt6-qpa-plugins timgm6mb-soundfont fonts-ipafont-gothic \
              qt6-translations-l10n; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

echo "== desktop-file-validate"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

echo "== file types"
mime="$out/mime"
mkdir -p "$mime/mime/packages" "$mime/home" "$mime/files"
cp /usr/share/mime/packages/freedesktop.org.xml "$root"/usr/share/mime/packages/*.xml "$mime/mime/packages/"
update-mime-database "$mime/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the file types"
printf 'melo\0\0\0\x20' >"$mime/files/melody"  # no extension: known by its content
printf 'hello\n' >"$mime/files/greeting"
# Not empty, which is a type of its own; their content says nothing.
for name in song.mld song.tml song.c99 song.pmr book.ktm; do printf '\x01\x02' >"$mime/files/$name"; done
while read -r name expected; do
  type=$(XDG_DATA_DIRS="$mime" XDG_DATA_HOME="$mime/home" \
         gio info -a standard::content-type "$mime/files/$name" | sed -n 's/.*content-type: //p')
  [ "$type" = "$expected" ] || fail "$name is $type, not $expected"
  echo "$name: $type"
done <<'TYPES'
song.mld audio/x-mld
melody audio/x-mld
greeting text/plain
song.tml text/x-tml
song.c99 text/x-c99-melody
song.pmr audio/x-pmr
book.ktm application/x-ktm
TYPES

if command -v lintian >/dev/null; then
  echo "== lintian"
  lintian --fail-on error "$deb" >"$out/lintian.log" 2>&1 || fail "lintian reports errors"
  grep -v 'running with root privileges' "$out/lintian.log" || true
fi

if [ "$failed" != 0 ]; then
  echo "the package check failed"
  exit 1
fi
echo "the package check passed"
