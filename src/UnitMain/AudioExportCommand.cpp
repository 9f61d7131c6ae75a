// The audio export 「音声書き出し(&U)...」: the melody the pages say, as an
// audio file for today's phones (WAV, FLAC, Ogg Vorbis, Opus or MP3 by the
// file name's extension). The options (repeats, fade-out, normalising) are
// asked after the file name and kept in the settings. The rendering runs on
// a worker thread with its own synthesizer, so that the window stays alive
// and the player is not disturbed; its progress reaches the progress dialog
// through queued calls only, and the dialog's cancel reaches it through an
// atomic flag.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "NativePath.h"
#include "SuggestedFileName.h"
#include "TFormMain.h"
#include "base/Messages.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

#ifdef QUAVERLY_HAVE_SYNTH
#include "synth/AudioExport.h"
#endif

namespace quaverly {

#ifdef QUAVERLY_HAVE_SYNTH

namespace {

const QString RepeatsKey = QStringLiteral("AudioExport/Repeats");
const QString FadeKey = QStringLiteral("AudioExport/FadeSeconds");
const QString NormalizeKey = QStringLiteral("AudioExport/Normalize");

AudioExportChoice LoadChoice(const SettingsStore& settings)
{
    AudioExportChoice choice;
    choice.repeats = std::clamp(settings.Value(RepeatsKey, 1).toInt(), 1, 10);
    const double fade = settings.Value(FadeKey, 0.0).toDouble();
    choice.fadeSeconds = fade >= 0.0 && fade <= 30.0 ? fade : 0.0;
    choice.normalize = settings.Value(NormalizeKey, false).toBool();
    return choice;
}

constexpr int ProgressSteps = 1000;

// Renders on a worker thread behind a modal progress dialog. True when the
// file was written, false when cancelled; rethrows what the export threw.
bool ExportWithProgress(QWidget* parent, const AudioExportRequest& job)
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
    std::exception_ptr failure;
    bool written = false;
    std::thread worker([&] {
        try {
            Synthesizer synth({}, AudioSampleRate(*AudioFormatOfPath(job.path)));
            AudioExportRequest request = job;
            request.progress = [&progress, &cancelled](int64_t done, int64_t total) {
                const int value = total > 0 ? static_cast<int>(done * ProgressSteps / total) : ProgressSteps;
                // Never a widget call from this thread: the value is posted to
                // the dialog's, which also reads a cancel there (a click, a
                // close or the Escape key).
                QMetaObject::invokeMethod(
                    &progress,
                    [&progress, &cancelled, value] {
                        if (progress.wasCanceled()) {
                            cancelled = true;
                        } else {
                            progress.setValue(value);
                        }
                    },
                    Qt::QueuedConnection);
                return !cancelled.load();
            };
            written = ExportAudio(synth, request);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // Progress values still queued die with the dialog.
    if (failure) {
        std::rethrow_exception(failure);
    }
    return written;
}

}  // namespace

#endif  // QUAVERLY_HAVE_SYNTH

void TFormMain::mnExportAudioClick()
{
    // A melody of another maker is rendered whole from its all-channel MIDI file.
    if (!m_foreign && !AnalyseBeforeUse()) {
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
        options.filter = QStringLiteral(
            "音声ファイル(*.wav *.flac *.ogg *.opus *.mp3);;WAV(*.wav);;FLAC(*.flac);;Ogg Vorbis(*.ogg);;"
            "Opus(*.opus);;MP3(*.mp3)");
        options.defaultSuffix = QStringLiteral("wav");
        options.initialFile = ChangeExtension(
            SuggestedFileName(DocumentFileName(), ToSjis(m_ui->EditTitle->text())), QStringLiteral(".wav"));
        const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
        if (!chosen) {
            return;
        }
        const std::string path = NativePath(*chosen);
        if (!AudioFormatOfPath(path)) {
            m_services.messageBoxes.Warning(FromSjis(Msg::AudioFormatUnknown) + *chosen);
            return;
        }
        AudioExportChoice choice = LoadChoice(m_services.settings);
        if (!m_services.dialogs.RunAudioExport(choice)) {
            return;
        }
        try {
            m_services.settings.SetValue(RepeatsKey, choice.repeats);
            m_services.settings.SetValue(FadeKey, choice.fadeSeconds);
            m_services.settings.SetValue(NormalizeKey, choice.normalize);
        } catch (const std::exception& error) {
            // Options that cannot be kept still serve this export.
            ShowError(error);
        }
        AudioExportRequest job;
        job.midiBytes = *midi;
        job.name = NativePath(QFileInfo(*chosen).fileName());
        job.path = path;
        job.options = {.repeats = choice.repeats, .fadeSeconds = choice.fadeSeconds, .normalize = choice.normalize};
        ExportWithProgress(this, job);
    });
#else
    m_services.messageBoxes.Warning(FromSjis(Msg::SynthesizerUnavailable));
#endif
}

}  // namespace quaverly
