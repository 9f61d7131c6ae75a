// The play, stop, repeat, voice-switch and MIDI export commands. The window
// keeps the play state (m_playState) and shows it in the caption of the play
// item: "再生(&P)" idle, "停止(&P)" playing; the player's completion notice
// reads the state to decide whether to play again, to close, or (after "/P")
// to end the program.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <algorithm>
#include <exception>

#include "DiagnosticsView.h"
#include "LiveAnalysis.h"
#include "TFormMain.h"
#include "UnitMain/NativePath.h"
#include "UnitMain/SuggestedFileName.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitPlay/TFormPlay.h"
#include "UnitRoll/TPianoRoll.h"
#include "UnitSetup/TSetupDlg.h"
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

// The loop section of a melody of another maker, opened from memory and
// played from its start; 0 on success, else the player's error code.
int PlayLoopSection(MidiPlayer& player, const MfiMelody& melody)
{
    player.Close();
    player.Open(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1}));
    return player.Play();
}

}  // namespace

std::optional<SettingValues> TFormMain::ReadSettingsOrRefuse()
{
    // The boxes alone: the pages are not read for their values.
    SettingsReading reading = ReadSettings(m_pages->CollectSettingTexts());
    if (!reading.values) {
        ShowRefusal(reading.refusal, reading.reason);
        m_liveAnalysis->RunNow();
    }
    return reading.values;
}

const TempoAdjustment& TFormMain::Adjustment()
{
    if (!m_document.HasTempoAdjustment()) {
        m_document.SetTempoAdjustment(ReadTempoAdjustment(ToSjis(
            m_services.settings.Value(QLatin1String(EditTempoKey), QLatin1String(EditTempoDefault)).toString())));
    }
    return m_document.Adjustment();
}

MidiSettings TFormMain::MidiRequest(const SettingValues& values, bool forPlay)
{
    PlayVoices voices;
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        voices.switches[static_cast<size_t>(voice - 1)] = m_pages->PlayItem(voice)->isChecked();
    }
    voices.soloVoice = m_soloVoice;
    voices.forPlay = forPlay;
    Adjustment();
    MidiSettings settings = m_document.PlayRequest(values, voices, ToSjis(m_ui->EditTitle->text()));
    if (forPlay) {
        m_follow->SetSoundingVoices(settings.playMask);
    }
    return settings;
}

std::optional<std::string> TFormMain::CheckAndMakeMidi(bool forPlay, const SettingValues* values)
{
    if (m_document.Foreign() != nullptr) {
        // Every channel with its tempo map, programs, volumes, pans and bends.
        // A play that repeats holds the intro and the loop section once: the
        // repeats then play the loop section alone (MediaPlayer1Notify).
        return m_document.ForeignMidiBytes(forPlay && m_ui->mnRepeatPlay->isChecked());
    }
    std::optional<SettingValues> read;
    if (values == nullptr) {
        read = ReadSettingsOrRefuse();
        if (!read) {
            return std::nullopt;
        }
        values = &*read;
    }
    return MidiFileBytes(m_store.Sequence(), MidiRequest(*values, forPlay));
}

bool TFormMain::CheckAndWriteMidi(const QString& path, bool forPlay, const SettingValues* values)
{
    const std::optional<std::string> midi = CheckAndMakeMidi(forPlay, values);
    if (!midi) {
        return false;
    }
    // A file that cannot be written is an error the caller's command shows.
    WriteWholeFile(NativePath(path), *midi);
    return true;
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
    // The boxes are read once, here, for the whole command.
    std::optional<SettingValues> values;
    if (m_document.Foreign() != nullptr) {
        startTime = -1;
    } else {
        values = ReadSettingsOrRefuse();
        if (!values || !AnalyseBeforeUse()) {
            return;
        }
    }
    RunCommand([this, startTime, &values] {
        std::optional<std::string> midi = CheckAndMakeMidi(true, values ? &*values : nullptr);
        if (!midi) {
            return;
        }
        m_services.player.Open(std::move(*midi));
        const int code = startTime < 0 ? m_services.player.Play() : m_services.player.PlayFrom(startTime);
        if (code == 0) {
            m_playStartTime = startTime;
            SetPlayState(PlayState::Playing);
            // What plays, in the roll, followed from the melody's start. The
            // marks follow the roll's notes, which must be the pages' own: a
            // page changed since the roll was laid out is parsed again;
            // otherwise the roll holds them, and the play starts without
            // parsing the melody.
            if (std::any_of(m_rollBehindPage.begin(), m_rollBehindPage.end(), [](bool behind) { return behind; })) {
                RefreshRollFromPages();
            }
            m_follow->Start();
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
        // from where this play began. A melody of another maker with a loop
        // for ever plays its loop section again, opened with the channels'
        // state at the loop's start; one with a counted loop has played its
        // passes and its end, and plays again from its start.
        int code = 0;
        if (m_document.Foreign() && MfiLoopsForever(*m_document.Foreign())) {
            code = PlayLoopSection(m_services.player, *m_document.Foreign());
            // The section's file starts at the loop's start: the roll's
            // playhead follows it there, not from the melody's beginning.
            m_follow->SetOffset(m_roll->Model().Loop().value_or(std::pair{0, 0}).first);
        } else {
            code = m_playStartTime < 0 ? m_services.player.Play() : m_services.player.PlayFrom(m_playStartTime);
        }
        if (code == 0) {
            return;
        }
        // Not playing any more: the play ends here rather than keep "停止(&P)".
        m_services.messageBoxes.Warning(FromSjis(Msg::MidiPlayError) + QString::number(code));
    }
    SetPlayState(PlayState::Stopped);
    m_follow->End();
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
    std::optional<SettingValues> values;
    if (m_document.Foreign() == nullptr) {
        values = ReadSettingsOrRefuse();
        if (!values || !AnalyseBeforeUse()) {
            return;
        }
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
    RunCommand([this, &chosen, &values] { CheckAndWriteMidi(*chosen, false, values ? &*values : nullptr); });
}

void TFormMain::mnPlay1Click(int voice)
{
    const QString caption = (m_pages->PlayItem(voice)->isChecked() ? QStringLiteral("♪第") : QStringLiteral("第")) +
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
