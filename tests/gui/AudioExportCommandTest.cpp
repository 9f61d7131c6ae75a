// The audio export 「音声書き出し(&U)...」 driven headless: the file and the
// options through the scripted stand-ins, the rendering on its worker thread
// behind the progress dialog, its cancel, and the options kept in the settings.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "UnitMain/TAudioExportDlg.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

using namespace quaverly;

namespace {

QAction* ExportItem(TFormMain& window)
{
    return window.findChild<QAction*>(QStringLiteral("mnExportAudio"));
}

}  // namespace

class AudioExportCommandTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;

    // A melody of four notes opened into the window (state Current).
    void OpenMelody()
    {
        f->dialogs.mldSelectAnswer = f->WriteFile(QStringLiteral("song.mld"), CompiledMelody(QStringLiteral("ドレミファ"), QStringLiteral("Song")));
        f->window.mnOpen1Click();
        QCOMPARE(f->window.Document().State(), EditState::Current);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    void TheFileMenuOffersTheCommand()
    {
        QAction* item = ExportItem(f->window);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("音声書き出し(&U)..."));
    }

#ifdef QUAVERLY_HAVE_SYNTH
    // Each format by its extension, with the options the dialog returned,
    // which the settings keep and show the next time.
    void WritesTheFormatOfTheExtensionAndKeepsTheOptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("wav") << "out.wav" << QByteArray("RIFF");
        QTest::newRow("flac") << "out.flac" << QByteArray("fLaC");
        QTest::newRow("ogg") << "OUT.OGG" << QByteArray("OggS");
        QTest::newRow("opus") << "out.opus" << QByteArray("OggS");
    }
    void WritesTheFormatOfTheExtensionAndKeepsTheOptions()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        OpenMelody();
        const QString target = f->PathOf(name);
        f->fileDialogs.saveAnswers = {target};
        f->dialogs.audioExportAnswer = AudioExportChoice{3, 1.5, true};
        ExportItem(f->window)->trigger();
        QCOMPARE(f->boxes.records.size(), 0);
        QCOMPARE(f->fileDialogs.saveCalls.size(), 1);
        QCOMPARE(f->fileDialogs.saveCalls[0].initialFile, f->PathOf(QStringLiteral("song.wav")));
        QVERIFY(f->fileDialogs.saveCalls[0].filter.contains(QStringLiteral("*.opus")));
        QCOMPARE(QByteArray::fromStdString(FileBytes(target).substr(0, 4)), magic);
        // The first time the dialog shows the defaults; then what was chosen.
        QCOMPARE(f->dialogs.shownAudioExport.repeats, 1);
        QCOMPARE(f->settings.values.value(QStringLiteral("AudioExport/Repeats")).toInt(), 3);
        QCOMPARE(f->settings.values.value(QStringLiteral("AudioExport/FadeSeconds")).toDouble(), 1.5);
        QCOMPARE(f->settings.values.value(QStringLiteral("AudioExport/Normalize")).toBool(), true);
        f->fileDialogs.saveAnswers = {target};
        f->dialogs.audioExportAccept = false;
        ExportItem(f->window)->trigger();
        QCOMPARE(f->dialogs.shownAudioExport.repeats, 3);
        QCOMPARE(f->dialogs.shownAudioExport.fadeSeconds, 1.5);
        QVERIFY(f->dialogs.shownAudioExport.normalize);
    }

    void ACancelInTheProgressDialogLeavesTheOldFile()
    {
        OpenMelody();
        const QString target = f->PathOf(QStringLiteral("old.mp3"));
        f->WriteFile(QStringLiteral("old.mp3"), "the old file");
        f->fileDialogs.saveAnswers = {target};
        // Long enough to be cancelled while it renders: ten times over, normalised.
        f->dialogs.audioExportAnswer = AudioExportChoice{10, 30.0, true};
        bool cancelled = false;
        QTimer::singleShot(0, this, [this, &cancelled] {
            if (auto* progress = f->window.findChild<QProgressDialog*>(QStringLiteral("AudioExportProgress"))) {
                cancelled = true;
                progress->cancel();
            }
        });
        ExportItem(f->window)->trigger();
        QVERIFY(cancelled);
        QCOMPARE(f->boxes.records.size(), 0);
        QCOMPARE(FileBytes(target), std::string("the old file"));
        QCOMPARE(QDir(f->folder.path()).entryList(QDir::Files).size(), 2);  // song.mld and old.mp3
        QVERIFY(f->window.findChild<QProgressDialog*>() == nullptr);
    }

    void RefusalsAndCancelsWriteNothing()
    {
        OpenMelody();
        // An extension of no audio format is refused before the options are asked.
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("out.aiff"))};
        ExportItem(f->window)->trigger();
        QCOMPARE(f->boxes.Texts(ScriptedMessageBoxes::Kind::Warning),
                 QStringList{FromSjis(Msg::AudioFormatUnknown) + f->PathOf(QStringLiteral("out.aiff"))});
        QCOMPARE(f->dialogs.audioExportCalls, 0);
        // Cancel in the file dialog, then in the options dialog.
        ExportItem(f->window)->trigger();
        QCOMPARE(f->dialogs.audioExportCalls, 0);
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("out.wav"))};
        f->dialogs.audioExportAccept = false;
        ExportItem(f->window)->trigger();
        QCOMPARE(f->dialogs.audioExportCalls, 1);
        QVERIFY(!f->settings.values.contains(QStringLiteral("AudioExport/Repeats")));
        // A folder that does not exist is an error shown, not a success.
        f->boxes.Clear();
        f->dialogs.audioExportAccept = true;
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("no/such/out.wav"))};
        ExportItem(f->window)->trigger();
        QCOMPARE(f->boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
        QVERIFY(f->boxes.Texts(ScriptedMessageBoxes::Kind::Error)[0].startsWith(FromSjis(Msg::FileWriteFailed)));
        QCOMPARE(QDir(f->folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("song.mld")});
    }

    // Edited pages meet the analysis question first, as saving does: No ends
    // the command before any file is asked for.
    void EditedPagesAreAnalysedFirst()
    {
        OpenMelody();
        f->window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミファソ"));
        QCOMPARE(f->window.Document().State(), EditState::ScoreEdited);
        f->boxes.answers = {false};
        ExportItem(f->window)->trigger();
        QCOMPARE(f->boxes.Count(ScriptedMessageBoxes::Kind::Question), 1);
        QCOMPARE(f->fileDialogs.saveCalls.size(), 0);
        f->boxes.answers = {true};
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("five.wav"))};
        ExportItem(f->window)->trigger();
        QCOMPARE(f->fileDialogs.saveCalls.size(), 1);
        QVERIFY(FileBytes(f->PathOf(QStringLiteral("five.wav"))).size() > 44);
    }

    // Settings out of range (an edited settings file) are shown within the ranges.
    void StoredOptionsAreBroughtIntoRange()
    {
        OpenMelody();
        f->settings.values.insert(QStringLiteral("AudioExport/Repeats"), 99);
        f->settings.values.insert(QStringLiteral("AudioExport/FadeSeconds"), QStringLiteral("-4"));
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("x.wav"))};
        f->dialogs.audioExportAccept = false;
        ExportItem(f->window)->trigger();
        QCOMPARE(f->dialogs.shownAudioExport.repeats, 10);
        QCOMPARE(f->dialogs.shownAudioExport.fadeSeconds, 0.0);
    }

    // A name ending in .m4r is an iPhone ringtone: the dialog shows that
    // preset, the file is an MPEG-4 audio file of brand "M4A ", the preset is
    // kept and proposes .m4r the next time. A render past the limit is cut
    // and the window says so.
    void AnM4rFileIsAnIPhoneRingtoneAndACutIsSaid()
    {
        OpenMelody();
        const QString target = f->PathOf(QStringLiteral("ring.m4r"));
        f->fileDialogs.saveAnswers = {target};
        ExportItem(f->window)->trigger();
        QCOMPARE(f->boxes.records.size(), 0);
        QVERIFY(f->fileDialogs.saveCalls[0].filter.contains(QStringLiteral("iPhone 着信音 (.m4r)(*.m4r)")));
        QVERIFY(f->fileDialogs.saveCalls[0].filter.contains(QStringLiteral("Android 着信音 (.ogg, 繰り返し)(*.ogg)")));
        QVERIFY(f->dialogs.shownAudioExport.preset == AudioExportPreset::IPhoneRingtone);
        QVERIFY(f->dialogs.shownAudioExport.format == AudioFormat::M4r);
        QCOMPARE(f->dialogs.shownAudioExport.maxSeconds, DefaultM4rSeconds);
        QCOMPARE(QByteArray::fromStdString(FileBytes(target).substr(4, 8)), QByteArray("ftypM4A "));
        QCOMPARE(f->settings.values.value(QStringLiteral("AudioExport/Preset")).toInt(), 1);

        AudioExportChoice longer;
        longer.repeats = 10;
        longer.maxSeconds = 1.0;
        longer.preset = AudioExportPreset::IPhoneRingtone;
        f->dialogs.audioExportAnswer = longer;
        f->fileDialogs.saveAnswers = {target};
        ExportItem(f->window)->trigger();
        QVERIFY(f->fileDialogs.saveCalls[1].initialFile.endsWith(QStringLiteral(".m4r")));
        QVERIFY(f->boxes.Texts(ScriptedMessageBoxes::Kind::Information).isEmpty());
        QCOMPARE(f->boxes.folderReports.size(), 2);
        QVERIFY(f->boxes.folderReports[1].text.contains(FromSjis(Msg::AudioCutAtLimit) + QStringLiteral("1.0 ") +
                                                        FromSjis(Msg::SecondsUnit)));
        QVERIFY(!f->boxes.folderReports[0].text.contains(FromSjis(Msg::AudioCutAtLimit)));
        QCOMPARE(f->player.renders.load(), 2);
    }

    // The Android preset is offered for an .ogg file and kept; the loop it
    // sets is written for .ogg and .opus only.
    void TheAndroidPresetIsKeptForAnOggFile()
    {
        OpenMelody();
        f->settings.values.insert(QStringLiteral("AudioExport/Preset"), 2);
        f->settings.values.insert(QStringLiteral("AudioExport/Loop"), true);
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("ring.ogg"))};
        ExportItem(f->window)->trigger();
        QVERIFY(f->fileDialogs.saveCalls[0].initialFile.endsWith(QStringLiteral(".ogg")));
        QVERIFY(f->dialogs.shownAudioExport.preset == AudioExportPreset::AndroidRingtone);
        QVERIFY(f->dialogs.shownAudioExport.loop);
        // The same kept choice over a .wav file: no preset.
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("plain.wav"))};
        ExportItem(f->window)->trigger();
        QVERIFY(f->dialogs.shownAudioExport.preset == AudioExportPreset::None);
        QCOMPARE(f->boxes.records.size(), 0);
    }
#endif  // QUAVERLY_HAVE_SYNTH

    // Only the fields of the chosen format can be changed; a preset sets
    // the fields it stands for.
    void ThePresetsAndTheirFieldsFollowTheFormat()
    {
        TAudioExportDlg dialog;
        AudioExportChoice choice;
        choice.format = AudioFormat::Wav;
        dialog.Load(choice);
        QVERIFY(!dialog.MaxSeconds()->isEnabled());
        QVERIFY(!dialog.Loop()->isEnabled());
        QVERIFY(!dialog.HelpLink()->text().isEmpty());
        choice.format = AudioFormat::OggVorbis;
        dialog.Load(choice);
        QVERIFY(dialog.Loop()->isEnabled());
        QVERIFY(!dialog.MaxSeconds()->isEnabled());
        QVERIFY(!dialog.Loop()->isChecked());
        dialog.Preset()->setCurrentIndex(2);
        emit dialog.Preset()->activated(2);
        QVERIFY(dialog.Loop()->isChecked());
        QVERIFY(dialog.Normalize()->isChecked());
        QVERIFY(dialog.Choice().preset == AudioExportPreset::AndroidRingtone);
        choice.format = AudioFormat::M4r;
        choice.preset = AudioExportPreset::IPhoneRingtone;
        choice.maxSeconds = 99.0;
        dialog.Load(choice);
        QVERIFY(dialog.MaxSeconds()->isEnabled());
        QCOMPARE(dialog.Choice().maxSeconds, MaxM4rSeconds);
        QVERIFY(dialog.Choice().format == AudioFormat::M4r);
    }

    void TheOptionsDialogShowsAndReturnsTheChoiceWithinItsRanges()
    {
        TAudioExportDlg dialog;
        dialog.Load({4, 2.5, true});
        QCOMPARE(dialog.Choice().repeats, 4);
        QCOMPARE(dialog.Choice().fadeSeconds, 2.5);
        QVERIFY(dialog.Choice().normalize);
        dialog.Load({0, 45.0, false});
        QCOMPARE(dialog.Choice().repeats, 1);
        QCOMPARE(dialog.Choice().fadeSeconds, 30.0);
        QVERIFY(!dialog.Choice().normalize);
        dialog.Repeats()->setValue(11);
        QCOMPARE(dialog.Choice().repeats, 10);
    }
};

QTEST_MAIN(AudioExportCommandTest)
#include "AudioExportCommandTest.moc"
