// The message after an audio export says where the file is and how long it
// plays: the melody as often as asked at the tempo adjustment, and the fade.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "UnitMain/AudioExportReport.h"
#include "UnitMidi/MidiDuration.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitMld/ScoreAnalysis.h"
#include "ScriptedMessageBoxes.h"
#include "WindowFixture.h"

using namespace quaverly;

namespace {

// Four quarter notes at tempo 60 (4 s at 100 %).
std::string FourQuartersMidi(const std::string& editTempo)
{
    MelodyStore store;
    EditorTexts texts;
    texts.tempo = "60";
    texts.tones.fill("1");
    texts.volumes.fill("63");
    texts.scores[0] = Sjis(QStringLiteral("ド４レ４ミ４ファ４"));
    AnalyseScore(store, texts, MelodyFileInfo{}, false);
    MidiSettings settings;
    settings.tempo = 60;
    settings.editTempo = editTempo;
    return MidiFileBytes(store.Sequence(), settings);
}

}  // namespace

class AudioExportReportTest : public QObject {
    Q_OBJECT

private slots:
    void MidiLengthFollowsTheTempoAdjustment_data()
    {
        QTest::addColumn<QString>("editTempo");
        QTest::addColumn<double>("seconds");
        QTest::newRow("as written") << "100" << 4.0;
        QTest::newRow("default 95 %") << "95" << 3.8;
        QTest::newRow("half") << "50" << 2.0;
    }
    void MidiLengthFollowsTheTempoAdjustment()
    {
        QFETCH(QString, editTempo);
        QFETCH(double, seconds);
        QVERIFY(std::abs(MidiFileSeconds(FourQuartersMidi(editTempo.toStdString())) - seconds) < 0.05);
    }

    void ReportNamesThePlaceLengthAndFolder()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("song.wav");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, '\0'));
        file.close();
        ScriptedMessageBoxes boxes;
        AudioRenderJob job;
        job.midiBytes = FourQuartersMidi("100");
        job.repeats = 3;
        job.fadeSeconds = 2.0;
        ReportAudioExported(boxes, path, job);
        QCOMPARE(boxes.folderReports.size(), 1);
        const QString text = boxes.folderReports[0].text;
        QVERIFY2(text.contains(path), qPrintable(text));
        // Three times four seconds and the fade.
        QVERIFY2(text.contains(QStringLiteral("0:14")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("フェードアウト 2 秒")));
        QCOMPARE(boxes.folderReports[0].folder, folder.path());
        // A ringtone cut at its limit lasts the limit.
        job.maxSeconds = 5.0;
        QVERIFY(AudioExportedText(path, job, true).contains(QStringLiteral("0:05")));
    }

    void ReportOfBytesThatAreNoMidiFileLeavesTheLengthOut()
    {
        const QString text = AudioExportedText(QStringLiteral("/tmp/x.wav"), AudioRenderJob{.midiBytes = "not midi"});
        QVERIFY(text.contains(QStringLiteral("x.wav")));
        QVERIFY(!text.contains(QStringLiteral("長さ")));
    }
};

QTEST_MAIN(AudioExportReportTest)
#include "AudioExportReportTest.moc"
