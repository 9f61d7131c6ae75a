// The play, stop, repeat, voice-switch and MIDI export commands. The window
// keeps the play state (m_playState) and shows it in the caption of the play
// item: "再生(&P)" idle, "停止(&P)" playing; the player's completion notice
// reads the state to decide whether to play again, to close, or (after "/P")
// to end the program.
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
#include "base/FileIO.h"
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

}  // namespace

bool TFormMain::SettingsAllowMidi()
{
    return CheckMidiSettings(false).has_value();
}

std::optional<MidiSettings> TFormMain::CheckMidiSettings(bool forPlay)
{
    const EditorTexts texts = CollectEditorTexts();
    SettingValues values;
    RefusalReason reason;
    if (std::optional<std::string> refusal = CheckSettingTexts(texts, values, &reason)) {
        ShowRefusal(*refusal, reason);
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
    if (forPlay) {
        m_soundingVoices = settings.playMask;
    }
    settings.title = texts.title;
    settings.editTempo = ToSjis(m_services.dialogs.EditTempoText());
    return settings;
}

bool TFormMain::CheckAndWriteMidi(const QString& path, bool forPlay)
{
    if (m_foreign) {
        // Every channel with its tempo map, programs, volumes, pans and bends.
        WriteWholeFile(NativePath(path), ForeignMidiBytes());
        return true;
    }
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
    if (m_foreign) {
        return ForeignMidiBytes();
    }
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

void TFormMain::SetPlayState(PlayState state)
{
    m_playState = state;
    m_ui->mnPlay->setText(state == PlayState::Playing ? StopCaption() : PlayCaption());
}

void TFormMain::mnPlayFromCursorClick()
{
    if (m_playState == PlayState::Playing) {
        StartPlay(-1);  // stops, as the play item does
        return;
    }
    StartPlay(std::max(0, StartTimeAtCursor()));
}

void TFormMain::StartPlay(int startTime)
{
    if (m_playState == PlayState::Playing) {
        // The player's notice finishes the play (MediaPlayer1Notify).
        SetPlayState(PlayState::Stopped);
        m_services.player.Stop();
        return;
    }
    // A tempo, tone or volume the melody cannot take is refused before any
    // question; a melody of another maker is played as it is, from its start.
    if (m_foreign) {
        startTime = -1;
    } else if (!SettingsAllowMidi() || !AnalyseBeforeUse()) {
        return;
    }
    RunCommand([this, startTime] {
        std::optional<std::string> midi = CheckAndMakeMidi(true);
        if (!midi) {
            return;
        }
        m_services.player.Open(std::move(*midi));
        const int code = startTime < 0 ? m_services.player.Play() : m_services.player.PlayFrom(startTime);
        if (code == 0) {
            m_playStartTime = startTime;
            SetPlayState(PlayState::Playing);
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
    if (m_ui->mnRepeatPlay->isChecked() && m_playState == PlayState::Playing) {
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
    SetPlayState(PlayState::Stopped);
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
    // A tempo, tone or volume the file cannot take is refused before any
    // question or file name; a melody of another maker is written whole.
    if (!m_foreign && (!SettingsAllowMidi() || !AnalyseBeforeUse())) {
        return;
    }
    FileDialogOptions options;
    options.filter = QStringLiteral("標準MIDIファイル(*.mid)");
    options.defaultSuffix = QStringLiteral("mid");
    options.initialFile =
        ChangeExtension(SuggestedFileName(DocumentFileName(), ToSjis(m_ui->EditTitle->text())), QStringLiteral(".mid"));
    const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
    if (!chosen) {
        return;
    }
    RunCommand([this, &chosen] { CheckAndWriteMidi(*chosen); });
}

void TFormMain::mnPlay1Click(int voice)
{
    const QString caption = (VoicePlayItem(voice)->isChecked() ? QStringLiteral("♪第") : QStringLiteral("第")) +
                            QString::number(voice) + QStringLiteral("音");
    // Through the diagnostics view, which adds the page's count to the caption.
    m_diagnosticsView->SetPageTitle(voice - 1, caption);
}

void TFormMain::StartPlayAndExit()
{
    mnPlayClick();
    // Nothing plays after a refusal or an error: no window claims otherwise.
    if (m_playState != PlayState::Playing) {
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
