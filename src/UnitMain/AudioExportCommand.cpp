// The audio export 「音声書き出し(&U)...」: the melody the pages say, as an
// audio file for today's phones (WAV, FLAC, Ogg Vorbis, Opus or MP3 by the
// file name's extension). The options (repeats, fade-out, normalising) are
// asked after the file name and kept in the settings. The synthesizer
// module renders on a worker thread with a synthesizer of its own, so that
// the window stays alive and the player is not disturbed; its progress
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
#include "base/Messages.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

#include "audio/AudioFormat.h"
#include "audio/SynthModule.h"
#include "base/Errors.h"

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

// What the export asks the synthesizer module for.
struct AudioExportJob {
    std::string midiBytes;
    std::string name;  // the file's name, for messages
    std::string path;
    AudioExportChoice choice;
};

// The rendering thread's view of the progress dialog.
struct ProgressLink {
    QProgressDialog* dialog;
    std::atomic<bool>* cancelled;
};

// On the rendering thread: the fraction done is posted to the dialog's
// thread, never a widget call from here; that thread also reads a cancel
// there (a click, a close or the Escape key). Returns 0 to cancel.
int PostProgress(void* context, double fraction)
{
    const ProgressLink link = *static_cast<ProgressLink*>(context);
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
    return link.cancelled->load() ? 0 : 1;
}

// Renders on a worker thread behind a modal progress dialog, through the
// synthesizer module (loaded on the first export). True when the file was
// written, false when cancelled; throws QuaverlyError with the module's reason.
bool ExportWithProgress(QWidget* parent, const AudioExportJob& job)
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
    int result = 1;
    std::string failure;
    std::thread worker([&] {
        try {
            const auto render = reinterpret_cast<QuaverlyRenderAudioEntry>(LoadSynthModuleEntry(RenderAudioSymbol));
            const QuaverlyAudioRequest request{job.midiBytes.data(), job.midiBytes.size(), job.name.c_str(),
                                               job.path.c_str(),     "",
                                               job.choice.repeats,  job.choice.fadeSeconds,
                                               job.choice.normalize ? 1 : 0,
                                               PostProgress,         &link};
            result = render(&request, CollectSynthFailure, &failure);
        } catch (const std::exception& error) {
            // The module could not be loaded: nothing may leave this thread.
            failure = error.what();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // Progress values still queued die with the dialog.
    if (result == 1) {
        throw QuaverlyError(failure);
    }
    return result == 0;
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
        if (ExportWithProgress(this, {*midi, NativePath(QFileInfo(*chosen).fileName()), path, choice})) {
            ReportAudioExported(m_services.messageBoxes, *chosen, *midi, choice);
        }
    });
#else
    m_services.messageBoxes.Warning(FromSjis(Msg::SynthesizerUnavailable));
#endif
}

}  // namespace quaverly
