// TEMPORARY stand-ins for services whose real implementations are being
// written: the dialogs (AppDialogs), the help viewer (HelpBrowser) and the
// FluidSynth player. main.cpp switches to the real ones as they land; delete
// each stand-in then.
#pragma once

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include "UnitPlay/MidiPlayer.h"
#include "platform/Dialogs.h"
#include "platform/HelpViewer.h"

namespace quaverly {

// A plain file dialog in place of the MLD file browser; the other dialogs cancel.
class StandInDialogs : public Dialogs {
public:
    std::optional<QString> RunMldSelect() override
    {
        const QString path = QFileDialog::getOpenFileName(nullptr, QString(), QString(),
                                                          QStringLiteral("iメロディファイル(*.mld)"));
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    }
    bool RunFileInfo(MelodyFileInfo& /*info*/) override { return false; }
    bool RunF0Data(bool& /*dataSet*/, std::string& /*dataHex*/) override { return false; }
    void RunSetup() override {}
    QString EditTempoText() const override { return QStringLiteral("95"); }
    void RunAbout() override { QMessageBox::about(nullptr, QStringLiteral("Quaverly"), QStringLiteral("Quaverly")); }
    std::optional<std::vector<std::string>> RunRingtoneBook(const QString& /*path*/) override { return std::nullopt; }
};

// Opens the help document in the desktop's browser.
class StandInHelpViewer : public HelpViewer {
public:
    void ShowContents(const QString& helpFile) override { QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile)); }
};

// Plays nothing: every play ends at once with its completion notice.
class StandInPlayer : public MidiPlayer {
public:
    void SetFileName(const std::string& /*path*/) override {}
    void Open() override {}
    int Play() override
    {
        QTimer::singleShot(0, [this] { Notify(); });
        return 0;
    }
    void Stop() override {}
    void Close() override {}
    bool IsStopped() const override { return true; }
};

}  // namespace quaverly
