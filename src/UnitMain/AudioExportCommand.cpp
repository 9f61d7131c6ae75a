// The audio export 「音声書き出し(&U)...」: the melody the pages say, as an
// audio file for today's phones (WAV, FLAC, Ogg Vorbis, Opus, MP3 or an
// iPhone ringtone's M4R by the file name's extension). The file dialog offers
// the two ringtone presets beside the plain formats; the options (repeats,
// fade-out, normalising, the preset, the length limit of .m4r and the loop
// comment of .ogg and .opus) are asked after the file name and kept in the
// settings. A render cut at the limit is said once it is written. The player service
// renders on a worker thread with a synthesizer of its own, so that the
// window stays alive and play is not disturbed; its progress
// reaches the progress dialog through queued calls only, and the dialog's
// cancel reaches it through an atomic flag.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <algorithm>
#include <atomic>
#include <exception>
#include <string>
#include <thread>

#include "NativePath.h"
#include "SuggestedFileName.h"
#include "AudioExportReport.h"
#include "TFormMain.h"
#include "UnitMfi/MfiMidi.h"
#include "base/Messages.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

#include "audio/AudioFormat.h"
#include "audio/AudioRenderJob.h"
#include "base/Errors.h"

namespace quaverly {

#ifdef QUAVERLY_HAVE_SYNTH

namespace {

const QString RepeatsKey = QStringLiteral("AudioExport/Repeats");
const QString FadeKey = QStringLiteral("AudioExport/FadeSeconds");
const QString NormalizeKey = QStringLiteral("AudioExport/Normalize");
const QString PresetKey = QStringLiteral("AudioExport/Preset");
const QString MaxSecondsKey = QStringLiteral("AudioExport/MaxSeconds");
const QString LoopKey = QStringLiteral("AudioExport/Loop");

// The extension the file dialog proposes for the kept preset.
QString PresetExtension(AudioExportPreset preset)
{
    switch (preset) {
    case AudioExportPreset::IPhoneRingtone:
        return QStringLiteral(".m4r");
    case AudioExportPreset::AndroidRingtone:
        return QStringLiteral(".ogg");
    case AudioExportPreset::None:
        break;
    }
    return QStringLiteral(".wav");
}

// The kept preset where it fits the chosen file's format: an ".m4r" file is
// always an iPhone's ringtone.
AudioExportPreset PresetForFormat(AudioExportPreset kept, AudioFormat format)
{
    if (format == AudioFormat::M4r) {
        return AudioExportPreset::IPhoneRingtone;
    }
    if (kept == AudioExportPreset::AndroidRingtone && format == AudioFormat::OggVorbis) {
        return kept;
    }
    return AudioExportPreset::None;
}

AudioExportChoice LoadChoice(const SettingsStore& settings)
{
    AudioExportChoice choice;
    choice.repeats = std::clamp(settings.Value(RepeatsKey, 1).toInt(), 1, 10);
    const double fade = settings.Value(FadeKey, 0.0).toDouble();
    choice.fadeSeconds = fade >= 0.0 && fade <= 30.0 ? fade : 0.0;
    choice.normalize = settings.Value(NormalizeKey, false).toBool();
    const int preset = settings.Value(PresetKey, 0).toInt();
    choice.preset = preset >= 0 && preset <= static_cast<int>(AudioExportPreset::AndroidRingtone)
                        ? static_cast<AudioExportPreset>(preset)
                        : AudioExportPreset::None;
    const double maxSeconds = settings.Value(MaxSecondsKey, DefaultM4rSeconds).toDouble();
    choice.maxSeconds = maxSeconds >= MinM4rSeconds && maxSeconds <= MaxM4rSeconds ? maxSeconds : DefaultM4rSeconds;
    choice.loop = settings.Value(LoopKey, false).toBool();
    return choice;
}

constexpr int ProgressSteps = 1000;

// The rendering thread's view of the progress dialog.
struct ProgressLink {
    QProgressDialog* dialog;
    std::atomic<bool>* cancelled;
};

// On the rendering thread: the fraction done is posted to the dialog's
// thread, never a widget call from here; that thread also reads a cancel
// there (a click, a close or the Escape key). False to cancel.
bool PostProgress(const ProgressLink& link, double fraction)
{
    const int value = std::clamp(static_cast<int>(fraction * ProgressSteps), 0, ProgressSteps);
    QMetaObject::invokeMethod(
        link.dialog,
        [link, value] {
            if (link.dialog->wasCanceled()) {
                *link.cancelled = true;
            } else {
                link.dialog->setValue(value);
            }
        },
        Qt::QueuedConnection);
    return !link.cancelled->load();
}

// Renders on a worker thread behind a modal progress dialog, through the
// player service. Throws QuaverlyError with the reason.
AudioRenderResult ExportWithProgress(QWidget* parent, MidiPlayer& player, const AudioRenderJob& job)
{
    QProgressDialog progress(QStringLiteral("音声を書き出しています..."), QStringLiteral("キャンセル"), 0,
                             ProgressSteps, parent);
    progress.setObjectName(QStringLiteral("AudioExportProgress"));
    progress.setWindowTitle(QStringLiteral("音声書き出し"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);

    std::atomic<bool> cancelled{false};
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancelled] { cancelled = true; });
    QEventLoop loop;
    ProgressLink link{&progress, &cancelled};
    AudioRenderResult result = AudioRenderResult::Cancelled;
    std::string failure;
    std::thread worker([&] {
        try {
            result = player.RenderAudio(job, [&link](double fraction) { return PostProgress(link, fraction); });
        } catch (const std::exception& error) {
            // Nothing may leave this thread.
            failure = error.what();
            if (failure.empty()) {
                failure = Msg::SynthesizerUnavailable;
            }
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // Progress values still queued die with the dialog.
    if (!failure.empty()) {
        throw QuaverlyError(failure);
    }
    return result;
}

}  // namespace

#endif  // QUAVERLY_HAVE_SYNTH

void TFormMain::mnExportAudioClick()
{
    // A melody of another maker is rendered whole from its all-channel MIDI file.
    if (!m_document.Foreign() && !AnalyseBeforeUse()) {
        return;
    }
#ifdef QUAVERLY_HAVE_SYNTH
    RunCommand([this] {
        // The pages' settings are checked before any question about the file.
        const std::optional<std::string> midi = CheckAndMakeMidi();
        if (!midi) {
            return;
        }
        FileDialogOptions options;
        AudioExportChoice choice = LoadChoice(m_services.settings);
        options.filter = QStringLiteral(
            "音声ファイル(*.wav *.flac *.ogg *.opus *.mp3 *.m4r);;iPhone 着信音 (.m4r)(*.m4r);;"
            "Android 着信音 (.ogg, 繰り返し)(*.ogg);;WAV(*.wav);;FLAC(*.flac);;Ogg Vorbis(*.ogg);;"
            "Opus(*.opus);;MP3(*.mp3);;M4R(*.m4r)");
        const QString extension = PresetExtension(choice.preset);
        options.defaultSuffix = extension.mid(1);
        options.initialFile =
            ChangeExtension(SuggestedFileName(DocumentFileName(), ToSjis(m_ui->EditTitle->text())), extension);
        const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
        if (!chosen) {
            return;
        }
        const std::string path = NativePath(*chosen);
        if (!AudioFormatOfPath(path)) {
            m_services.messageBoxes.Warning(FromSjis(Msg::AudioFormatUnknown) + *chosen);
            return;
        }
        const AudioFormat format = *AudioFormatOfPath(path);
        choice.format = format;
        choice.preset = PresetForFormat(choice.preset, format);
        if (!m_services.dialogs.RunAudioExport(choice)) {
            return;
        }
        try {
            m_services.settings.SetValue(RepeatsKey, choice.repeats);
            m_services.settings.SetValue(FadeKey, choice.fadeSeconds);
            m_services.settings.SetValue(NormalizeKey, choice.normalize);
            m_services.settings.SetValue(PresetKey, static_cast<int>(choice.preset));
            m_services.settings.SetValue(MaxSecondsKey, choice.maxSeconds);
            m_services.settings.SetValue(LoopKey, choice.loop);
        } catch (const std::exception& error) {
            // Options that cannot be kept still serve this export.
            ShowError(error);
        }
        AudioRenderJob job;
        job.midiBytes = *midi;
        job.name = NativePath(QFileInfo(*chosen).fileName());
        job.path = path;
        job.repeats = choice.repeats;
        job.fadeSeconds = choice.fadeSeconds;
        // A melody of another maker with a loop: its intro, then its loop
        // section as many times as asked, written out and rendered once.
        if (m_document.Foreign() && MfiHasLoop(*m_document.Foreign())) {
            job.midiBytes = MfiMidiFileBytes(*m_document.Foreign(),
                                             {MfiMidiShape::Kind::Unrolled, choice.repeats, choice.fadeSeconds});
            job.repeats = 1;
            job.fadeSeconds = 0;
        }
        job.normalize = choice.normalize;
        job.maxSeconds = format == AudioFormat::M4r ? std::clamp(choice.maxSeconds, MinM4rSeconds, MaxM4rSeconds) : 0.0;
        job.loop = choice.loop && AudioFormatCanLoop(format);
        const AudioRenderResult result = ExportWithProgress(this, m_services.player, job);
        // One message: where the file is, how long it plays, and the cut at
        // the length limit when there was one.
        if (result != AudioRenderResult::Cancelled) {
            ReportAudioExported(m_services.messageBoxes, *chosen, job, result == AudioRenderResult::WrittenCut);
        }
    });
#else
    m_services.messageBoxes.Warning(FromSjis(Msg::SynthesizerUnavailable));
#endif
}

}  // namespace quaverly
