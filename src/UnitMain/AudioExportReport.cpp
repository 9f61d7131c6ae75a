#include "AudioExportReport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <exception>

#include "UnitMidi/MidiDuration.h"
#include "platform/MessageBoxes.h"

namespace quaverly {

namespace {

QString MinutesAndSeconds(double seconds)
{
    const int whole = static_cast<int>(std::lround(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString AudioExportedText(const QString& path, std::string_view midiBytes, const AudioExportChoice& choice)
{
    const QFileInfo file(path);
    QString text = QStringLiteral("音声ファイルを書き出しました。\n\n") + QDir::toNativeSeparators(file.absoluteFilePath());
    try {
        const double melody = MidiFileSeconds(midiBytes);
        QString how = QStringLiteral("%1 回").arg(choice.repeats);
        if (choice.fadeSeconds > 0) {
            how += QStringLiteral("、フェードアウト %1 秒").arg(choice.fadeSeconds);
        }
        text += QStringLiteral("\n長さ %1（%2）").arg(MinutesAndSeconds(melody * choice.repeats + choice.fadeSeconds), how);
    } catch (const std::exception&) {
        // The file is written all the same; only its length goes unsaid.
    }
    text += QStringLiteral("\n大きさ %1").arg(QLocale(QLocale::Japanese).formattedDataSize(file.size()));
    return text;
}

void ReportAudioExported(MessageBoxes& boxes, const QString& path, std::string_view midiBytes,
                         const AudioExportChoice& choice)
{
    boxes.InformationWithFolder(AudioExportedText(path, midiBytes, choice), QFileInfo(path).absolutePath());
}

}  // namespace quaverly
