#include "ProgramIdentity.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <string_view>

namespace quaverly {

const char ApplicationId[] = "jp.fernwick.Quaverly";

namespace {

// The manual page quaverly(1) is made from this text.
constexpr std::string_view Help =
    "Usage: quaverly [/D] [/P] [/CIN|/COUT] [FILE]\n"
    "   or: quaverly --help | --version\n"
    "\n"
    "Composes ringtone melodies (MLD files) for mobile handsets in Japanese\n"
    "solfege notation, in a window. Switches are compared whole and in any case;\n"
    "the last argument that is not a switch is the file.\n"
    "\n"
    "Arguments:\n"
    "  FILE   the melody file to open (.mld; a .pmr file is read behind its\n"
    "         192-byte header), or with /CIN the numeric melody text (.c99)\n"
    "  /D     the extended notation (a full-width slash opens a raw-data block);\n"
    "         the letter keys type as typed instead of note names\n"
    "  /P     play the melody of FILE at once; the program ends when the playing\n"
    "         window closes\n"
    "  /CIN   import numeric melody text from FILE, or from the clipboard when\n"
    "         there is no FILE\n"
    "  /COUT  recorded only: it cancels an earlier /CIN\n"
    "\n"
    "Exit status:\n"
    "  0  the window was closed, or /P ended\n"
    "  1  there is no display to open the window on\n"
    "\n"
    "Options:\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "Environment:\n"
    "  QUAVERLY_SOUNDFONT     the General MIDI soundfont to play with (default: the\n"
    "                         first of /usr/share/sounds/sf2/TimGM6mb.sf2,\n"
    "                         FluidR3_GM.sf2, default-GM.sf2)\n"
    "  QUAVERLY_AUDIO_DRIVER  the FluidSynth audio driver to play through (default:\n"
    "                         pulseaudio, then alsa); \"file\" writes the sound to a\n"
    "                         file in the current folder (fluidsynth.wav)\n"
    "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
    "                         the display, one of which must be set\n"
    "\n"
    "The command-line tool quaverly-cli does the window's work on files.\n";

}  // namespace

std::optional<int> AnswerInformationRequest(int argc, char** argv)
{
    // Only alone, so that any other command line keeps its meaning: every
    // argument that is not a switch names the file.
    if (argc != 2) {
        return std::nullopt;
    }
    const std::string_view option(argv[1]);
    if (option == "--help" || option == "-h") {
        std::fwrite(Help.data(), 1, Help.size(), stdout);
        return 0;
    }
    if (option == "--version") {
        std::puts("quaverly " QUAVERLY_VERSION);
        return 0;
    }
    return std::nullopt;
}

void ApplyDesktopIdentity()
{
    QApplication::setApplicationVersion(QStringLiteral(QUAVERLY_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ApplicationId));
}

void ApplyWindowIcon()
{
    // Installed, the icon theme has the icon; in a build folder there is none.
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(ApplicationId)));
}

}  // namespace quaverly
