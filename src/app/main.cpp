// quaverly: the window program. Creates the melody document store and the
// real platform services, the main window, runs its start-up on the command
// line and then the event loop.
#include <QApplication>
#include <QTextBrowser>
#include <csignal>
#include <cstdio>

#include "InKtlSrc/TInKtlink.h"
#include "UnitAbout/TAboutDlg.h"
#include "UnitF0Data/TF0DataDlg.h"
#include "UnitInfo/TFileInfoDlg.h"
#include "UnitMain/TFormMain.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMldSel/TFormMldSelect.h"
#include "UnitSetup/TSetupDlg.h"
// The dialog classes before AppDialogs.h: its accessors need them complete.
#include "app/AppDialogs.h"
#include "app/FirstPaint.h"
#include "app/ProgramIdentity.h"
#include "platform/FontSetUp.h"
#include "platform/HelpBrowser.h"
#include "platform/JournalFiles.h"
#include "platform/QSettingsStore.h"
#include "platform/QtClipboard.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtTranslations.h"

#if defined(QUAVERLY_HAVE_SYNTH) && __has_include("UnitPlay/FluidSynthPlayer.h")
#include "UnitPlay/FluidSynthPlayer.h"
using ProgramPlayer = quaverly::FluidSynthPlayer;
#else
#include "SilentPlayer.h"
using ProgramPlayer = quaverly::SilentPlayer;
#endif

namespace {

// Without a display Qt would abort with a message in English; say it plainly.
bool HasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    // A file-size limit must come back from a write as EFBIG, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::optional<int> answered = quaverly::AnswerInformationRequest(argc, argv)) {
        return *answered;
    }
    if (!HasDisplay()) {
        std::fputs(
            "quaverly: 画面に接続できません。DISPLAY または WAYLAND_DISPLAY のある環境で起動するか、"
            "QT_QPA_PLATFORM を指定してください。\n",
            stderr);
        return 1;
    }

    // Fontconfig reads its files on the other processor while the display
    // connection and the application are set up.
    quaverly::FontSetUp fontSetUp;
    const quaverly::LocaleEnvironment userLocale = quaverly::UseJapaneseSystemLocale();
    QApplication application(argc, argv);
    quaverly::RestoreLocaleEnvironment(userLocale);
    QApplication::setApplicationName(QStringLiteral("Quaverly"));
    QApplication::setOrganizationName(QStringLiteral("Fernwick"));
    quaverly::ApplyDesktopIdentity();
    // The main window ends the program when it closes (TerminateApplication).
    QApplication::setQuitOnLastWindowClosed(false);
    quaverly::InstallQtTranslations(application);

    quaverly::MelodyStore store;
    quaverly::QtMessageBoxes messageBoxes;
    quaverly::QtFileDialogs fileDialogs;
    quaverly::QtClipboard clipboard;
    quaverly::QSettingsStore settings;
    quaverly::HelpBrowser helpViewer;
    // Each dialog is made on its first use; the settings dialog, which loads
    // the tempo adjustment, when a MIDI file is first written ("/P" at once).
    quaverly::AppDialogs dialogs(messageBoxes, settings);
    ProgramPlayer player;

    fontSetUp.Wait();
    quaverly::TFormMain window(
        store, quaverly::WindowServices{messageBoxes, fileDialogs, clipboard, settings, helpViewer, dialogs, player});
    // The soundfont and the icon once the window is painted, or before the
    // windows that come first (FirstPaint.h).
    quaverly::FirstPaint firstPaint(window, player, quaverly::ApplyWindowIcon);
    dialogs.SetParentWindow(&window);
    messageBoxes.SetFallbackParent(&window);
    // The crash journal lives in the per-user data folder (XDG_DATA_HOME).
    window.SetJournalFolder(quaverly::DefaultJournalFolder());
    window.StartUp(QApplication::arguments().mid(1));
    if (window.TerminateRequested()) {
        return 0;
    }
    window.show();
    return QApplication::exec();
}
