// The play, stop, repeat, voice-switch and MIDI export commands. The caption
// of the play item is the play state: "再生(&P)" idle, "停止(&P)" playing; the
// player's completion notice reads it back to decide whether to play again,
// to close, or (after "/P") to end the program.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <algorithm>

#include "DiagnosticsView.h"
#include "LiveAnalysis.h"
#include "TFormMain.h"
#include "UnitMain/NativePath.h"
#include "UnitMain/SuggestedFileName.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitPlay/TFormPlay.h"
#include "UnitMld/MldLayout.h"
#include "base/Messages.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {


QString PlayCaption()
{
    return QStringLiteral("再生(&P)");
}
QString StopCaption()
{
    return QStringLiteral("停止(&P)");
}

// The play file lives in the user's own data folder: the program's folder is
// not writable for the user on a system installation.
QString PlayFileName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    }
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("Play.mid"));
}

}  // namespace

std::optional<MidiSettings> TFormMain::CheckMidiSettings(bool forPlay)
{
    const EditorTexts texts = CollectEditorTexts();
    SettingValues values;
    RefusalReason reason;
    if (std::optional<std::string> refusal = CheckSettingTexts(texts, values, {}, &reason)) {
        m_services.messageBoxes.Warning(FromSjis(*refusal));
        LeadToRefusedField(reason);
        m_liveAnalysis->RunNow();
        return std::nullopt;
    }
    MidiSettings settings;
    settings.tempo = values.tempo;
    settings.tones = values.tones;
    settings.volumes = values.volumes;
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        settings.playMask[static_cast<size_t>(voice - 1)] = VoicePlayItem(voice)->isChecked();
    }
    if (forPlay && m_soloVoice > 0) {
        // Solo mutes the others for this play only; the switches stay as they are.
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            settings.playMask[static_cast<size_t>(voice - 1)] = voice == m_soloVoice;
        }
    }
    settings.title = texts.title;
    settings.editTempo = ToSjis(m_services.dialogs.EditTempoText());
    return settings;
}

bool TFormMain::CheckAndWriteMidi(const QString& path, bool forPlay)
{
    const std::optional<MidiSettings> settings = CheckMidiSettings(forPlay);
    if (!settings) {
        return false;
    }
    // A file that cannot be written is an error the caller's command shows.
    WriteMidiFile(NativePath(path), m_store.Sequence(), *settings);
    return true;
}

std::optional<std::string> TFormMain::CheckAndMakeMidi(bool forPlay)
{
    const std::optional<MidiSettings> settings = CheckMidiSettings(forPlay);
    if (!settings) {
        return std::nullopt;
    }
    return MidiFileBytes(m_store.Sequence(), *settings);
}

void TFormMain::mnPlayClick()
{
    StartPlay(-1);
}

void TFormMain::mnPlayFromCursorClick()
{
    if (m_ui->mnPlay->text() == StopCaption()) {
        StartPlay(-1);  // stops, as the play item does
        return;
    }
    StartPlay(std::max(0, StartTimeAtCursor()));
}

void TFormMain::StartPlay(int startTime)
{
    QAction* play = m_ui->mnPlay;
    if (play->text() == StopCaption()) {
        // The player's notice finishes the play (MediaPlayer1Notify).
        play->setText(PlayCaption());
        m_services.player.Stop();
        return;
    }
    if (!AnalyseBeforeUse()) {
        return;
    }
    RunCommand([this, play, startTime] {
        const QString fileName = PlayFileName();
        if (!CheckAndWriteMidi(fileName, true)) {
            return;
        }
        m_services.player.SetFileName(NativePath(fileName));
        m_services.player.Open();
        const int code = startTime < 0 ? m_services.player.Play() : m_services.player.PlayFrom(startTime);
        if (code == 0) {
            m_playStartTime = startTime;
            play->setText(StopCaption());
            StartFollow();
            return;
        }
        m_services.player.Close();
        m_services.messageBoxes.Warning(FromSjis(Msg::MidiPlayError) + QString::number(code));
    });
}

void TFormMain::MediaPlayer1Notify()
{
    if (!m_services.player.IsStopped()) {
        return;
    }
    QAction* play = m_ui->mnPlay;
    if (m_ui->mnRepeatPlay->isChecked() && play->text() == StopCaption()) {
        // The player rewinds: the file is played again as it was written,
        // from where this play began.
        const int code =
            m_playStartTime < 0 ? m_services.player.Play() : m_services.player.PlayFrom(m_playStartTime);
        if (code == 0) {
            return;
        }
        // Not playing any more: the play ends here rather than keep "停止(&P)".
        m_services.messageBoxes.Warning(FromSjis(Msg::MidiPlayError) + QString::number(code));
    }
    play->setText(PlayCaption());
    EndFollow();
    m_services.player.Close();
    if (m_playAndExit) {
        if (auto* playing = findChild<TFormPlay*>()) {
            playing->close();
        }
        TerminateApplication();
    }
}

void TFormMain::mnPutMidiClick()
{
    if (!AnalyseBeforeUse()) {
        return;
    }
    FileDialogOptions options;
    options.filter = QStringLiteral("標準MIDIファイル(*.mid)");
    options.defaultSuffix = QStringLiteral("mid");
    options.initialFile =
        ChangeExtension(SuggestedFileName(m_currentFileName, ToSjis(m_ui->EditTitle->text())), QStringLiteral(".mid"));
    const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
    if (!chosen) {
        return;
    }
    RunCommand([this, &chosen] { CheckAndWriteMidi(*chosen); });
}

void TFormMain::mnPlay1Click(QAction* item)
{
    // The voice number is the 7th character of the item's name ("mnPlay1").
    const QString name = item->objectName();
    const int voice = name.size() >= 7 ? name.at(6).digitValue() : -1;
    if (voice < 1 || voice > VoiceCount) {
        return;
    }
    const QString caption =
        (item->isChecked() ? QStringLiteral("♪第") : QStringLiteral("第")) + name.at(6) + QStringLiteral("音");
    // Through the diagnostics view, which adds the page's count to the caption.
    m_diagnosticsView->SetPageTitle(voice - 1, caption);
}

void TFormMain::mnRepeatPlayClick()
{
    // The menu has toggled the check mark; it is read when a play ends.
}

void TFormMain::StartPlayAndExit()
{
    mnPlayClick();
    // Nothing plays after a refusal or an error: no window claims otherwise.
    if (m_ui->mnPlay->text() != StopCaption()) {
        TerminateApplication();
        return;
    }
    TFormPlay playing(this);
    playing.EditTitle()->setText(m_ui->EditTitle->text());
    playing.exec();
    if (!TerminateRequested()) {
        TerminateApplication();
    }
}

}  // namespace quaverly
