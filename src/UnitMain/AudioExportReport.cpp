#include "AudioExportReport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <exception>

#include "UnitMidi/MidiDuration.h"
#include "base/Messages.h"
#include "platform/MessageBoxes.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {

QString MinutesAndSeconds(double seconds)
{
    const int whole = static_cast<int>(std::lround(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString AudioExportedText(const QString& path, const AudioRenderJob& job, bool cut)
{
    const QFileInfo file(path);
    QString text = QStringLiteral("音声ファイルを書き出しました。\n\n") + QDir::toNativeSeparators(file.absoluteFilePath());
    try {
        const double melody = MidiFileSeconds(job.midiBytes);
        QString how = QStringLiteral("%1 回").arg(job.repeats);
        if (job.fadeSeconds > 0) {
            how += QStringLiteral("、フェードアウト %1 秒").arg(job.fadeSeconds);
        }
        const double seconds = cut ? job.maxSeconds : melody * job.repeats + job.fadeSeconds;
        text += QStringLiteral("\n長さ %1（%2）").arg(MinutesAndSeconds(seconds), how);
    } catch (const std::exception&) {
        // The file is written all the same; only its length goes unsaid.
    }
    if (cut) {
        text += QStringLiteral("\n") + FromSjis(Msg::AudioCutAtLimit) + QString::number(job.maxSeconds, 'f', 1) +
                QStringLiteral(" ") + FromSjis(Msg::SecondsUnit);
    }
    text += QStringLiteral("\n大きさ %1").arg(QLocale(QLocale::Japanese).formattedDataSize(file.size()));
    return text;
}

void ReportAudioExported(MessageBoxes& boxes, const QString& path, const AudioRenderJob& job, bool cut)
{
    boxes.InformationWithFolder(AudioExportedText(path, job, cut), QFileInfo(path).absolutePath());
}

}  // namespace quaverly
