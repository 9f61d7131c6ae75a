# The Debian package of Quaverly: cpack -G DEB over the install rules, into
# quaverly_<version>_<arch>.deb. Its dependencies are the shared libraries the
# programs link (dpkg-shlibdeps) and what they load at run time: Qt's
# platform plugins, the General MIDI soundfont, a Japanese font and Qt's
# Japanese translations.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quaverly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Fernwick)
set(CPACK_PACKAGE_CONTACT "Fernwick Quaverly maintainers <quaverly@fernwick.jp>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/fernwick/quaverly)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "composer of ringtone melodies (MLD files)")
# One string: lines under 80 characters, an empty line between paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Quaverly composes ringtone melodies for mobile handsets. Up to four voices
are typed in Japanese solfege notation, with a tempo, a title and a tone and
volume per voice, and compiled into an MLD melody file.

It reads MLD files back into score text, plays melodies through a General
MIDI synthesizer (FluidSynth), writes Standard MIDI Files and audio files
(WAV, FLAC, Ogg Vorbis, Opus, MP3, encoded by libsndfile), exchanges melodies
as mail text and imports numeric melody text and pocket-melody files. The
command-line tool quaverly-cli does the same work on files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, timgm6mb-soundfont, fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
