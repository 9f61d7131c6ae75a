// The play, stop, repeat, voice-switch and MIDI export commands, driven
// headless through the scripted player: the caption of the play item shows
// the play state, and every row of its state table is checked here.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "base/Messages.h"
#include "UnitPlay/TFormPlay.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/SjisText.h"

using namespace quaverly;

namespace {

const QString PlayCaption = QStringLiteral("再生(&P)");
const QString StopCaption = QStringLiteral("停止(&P)");

QString PlayFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/Play.mid");
}

QAction* Action(TFormMain& window, const char* name)
{
    return window.findChild<QAction*>(QLatin1String(name));
}

// The number of tracks in a MIDI file's header.
int TrackCount(const std::string& midi)
{
    return midi.size() < 12 ? -1 : (midi[10] << 8) | midi[11];
}

}  // namespace

class PlayCommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;

    QString Caption() { return Action(f->window, "mnPlay")->text(); }
    void ClickPlay() { Action(f->window, "mnPlay")->trigger(); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        f = std::make_unique<WindowFixture>();
        QFile::remove(PlayFile());
    }
    void cleanup() { f.reset(); }

    void ClickPlaysTheWrittenFileAndShowsStop()
    {
        f->settings.values.insert(QStringLiteral("Midi/EditTempo"), QStringLiteral("100"));
        f->window.findChild<QComboBox*>(QStringLiteral("ComboBoxTempo"))->setEditText(QStringLiteral("120"));
        WindowAccess::SetEditState(f->window, EditState::Current);
        ClickPlay();
        QCOMPARE(f->player.calls, (QStringList{"Open", "Play"}));
        QCOMPARE(Caption(), StopCaption);
        QCOMPARE(f->boxes.records.size(), 0);
        // Played from memory: no file is written on the way.
        QVERIFY(!QFile::exists(PlayFile()));
        const std::string midi = f->player.midiBytes;
        QCOMPARE(TrackCount(midi), 6);
        // The stored tempo adjustment: 100 % of tempo 120.
        QVERIFY(midi.find(std::string("\xFF\x51\x03\x07\xA1\x20", 6)) != std::string::npos);
    }

    void RefusedFieldsWriteNothingAndLeaveThePlayerAlone_data()
    {
        QTest::addColumn<QString>("tempo");
        QTest::addColumn<QString>("tone2");
        QTest::addColumn<QString>("volume3");
        QTest::addColumn<QByteArray>("message");
        const QString tone = QStringLiteral("1 - ピアノ");
        QTest::newRow("tempo 0") << "0" << tone << "63"
                                 << QByteArray(Msg::TempoRefused.data()) + "0\n" + QByteArray(Msg::AllowedTempo.data());
        QTest::newRow("tone 130") << "120"
                                  << "130 - x"
                                  << "63"
                                  << QByteArray(Msg::ToneRefused.data()) + "130 - x\n" +
                                         QByteArray(Msg::AllowedTone.data()).replace("%d", "2");
    }
    void RefusedFieldsWriteNothingAndLeaveThePlayerAlone()
    {
        QFETCH(QString, tempo);
        QFETCH(QString, tone2);
        QFETCH(QString, volume3);
        QFETCH(QByteArray, message);
        f->window.findChild<QComboBox*>(QStringLiteral("ComboBoxTempo"))->setEditText(tempo);
        f->window.Pages().Tone(2)->setEditText(tone2);
        f->window.Pages().Volume(3)->setText(volume3);
        WindowAccess::SetEditState(f->window, EditState::Current);
        ClickPlay();
        QCOMPARE(f->boxes.Texts(ScriptedMessageBoxes::Kind::Warning), QStringList{FromSjis(message.toStdString())});
        QVERIFY(f->player.calls.isEmpty());
        QVERIFY(!QFile::exists(PlayFile()));
        QCOMPARE(Caption(), PlayCaption);
    }

    void PlayerErrorsLeaveTheCaptionIdle()
    {
        f->player.playResult = 263;
        ClickPlay();
        QCOMPARE(f->boxes.Texts(ScriptedMessageBoxes::Kind::Warning), QStringList{"MIDI Pley Error: 263"});
        QCOMPARE(Caption(), PlayCaption);
        QCOMPARE(f->player.calls.last(), QStringLiteral("Close"));

        f->boxes.Clear();
        f->player.openError = Sjis(QStringLiteral("開けません"));
        ClickPlay();
        QCOMPARE(f->boxes.Texts(ScriptedMessageBoxes::Kind::Error), QStringList{QStringLiteral("開けません")});
        QCOMPARE(Caption(), PlayCaption);
    }

    void ClickWhilePlayingStopsAndTheNoticeCloses()
    {
        ClickPlay();
        Action(f->window, "mnRepeatPlay")->trigger();  // repeat on: a stop still ends the play
        ClickPlay();
        QCOMPARE(f->player.calls.last(), QStringLiteral("Stop"));
        QCOMPARE(Caption(), PlayCaption);
        f->player.Finish();
        QCOMPARE(f->player.calls.last(), QStringLiteral("Close"));
        QCOMPARE(f->player.calls.count(QStringLiteral("Play")), 1);
        QCOMPARE(f->terminations, 0);
    }

    // The window keeps the play state itself: a caption changed under it (a
    // translation, an accessibility tool) does not make a stop start a play,
    // and renamed voice items still switch their voices.
    void PlayStateAndVoicesDoNotLiveInTexts()
    {
        ClickPlay();
        Action(f->window, "mnPlay")->setText(QStringLiteral("Play"));
        ClickPlay();
        QCOMPARE(f->player.calls.last(), QStringLiteral("Stop"));
        QCOMPARE(f->player.calls.count(QStringLiteral("Play")), 1);
        QCOMPARE(Caption(), PlayCaption);

        auto* pages = f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QAction* voice3 = Action(f->window, "mnPlay3");
        voice3->setObjectName(QStringLiteral("voiceThree"));
        voice3->trigger();
        QCOMPARE(pages->tabText(pages->indexOf(f->window.Pages().Page(3))), QStringLiteral("第3音"));
    }

    void NoticeWithRepeatPlaysAgainWithoutWriting()
    {
        ClickPlay();
        Action(f->window, "mnRepeatPlay")->trigger();
        QFile::remove(PlayFile());
        f->player.Finish();
        f->player.Finish();
        QCOMPARE(f->player.calls.count(QStringLiteral("Play")), 3);
        QCOMPARE(f->player.calls.count(QStringLiteral("Open")), 1);
        QVERIFY(!QFile::exists(PlayFile()));
        QCOMPARE(Caption(), StopCaption);

        // Repeat off: the next notice ends the play.
        Action(f->window, "mnRepeatPlay")->trigger();
        f->player.Finish();
        QCOMPARE(f->player.calls.last(), QStringLiteral("Close"));
        QCOMPARE(Caption(), PlayCaption);
    }

    void ReplayRefusedEndsThePlay()
    {
        ClickPlay();
        Action(f->window, "mnRepeatPlay")->trigger();
        f->player.playResult = 5;
        f->player.Finish();
        QCOMPARE(f->boxes.Texts(ScriptedMessageBoxes::Kind::Warning), QStringList{"MIDI Pley Error: 5"});
        QCOMPARE(Caption(), PlayCaption);
        QCOMPARE(f->player.calls.last(), QStringLiteral("Close"));
    }

    void NoticeWhileNotStoppedDoesNothing()
    {
        ClickPlay();
        const QStringList before = f->player.calls;
        f->window.MediaPlayer1Notify();  // the scripted player is playing
        QCOMPARE(f->player.calls, before);
        QCOMPARE(Caption(), StopCaption);
    }

    void PlayAtStartShowsTheTitleAndEndsWithThePlay()
    {
        const QString song = f->WriteFile(QStringLiteral("song.mld"),
                                          CompiledMelody(QStringLiteral("ド４"), QStringLiteral("ふるさと")));
        QString shownTitle;
        QString shownCaption;
        QTimer::singleShot(0, this, [this, &shownTitle, &shownCaption] {
            if (auto* form = f->window.findChild<TFormPlay*>()) {
                shownTitle = form->EditTitle()->text();
                shownCaption = form->windowTitle();
            }
            f->player.Finish();
        });
        f->window.StartUp({QStringLiteral("/P"), song});
        QCOMPARE(shownTitle, QStringLiteral("ふるさと"));
        QCOMPARE(shownCaption, QStringLiteral("Quaverly  再生中"));
        QCOMPARE(f->terminations, 1);
        QCOMPARE(f->player.calls.last(), QStringLiteral("Close"));
        QVERIFY(f->window.findChild<TFormPlay*>() == nullptr);  // released when it closed
    }

    void AbortClosesThePlayingWindowAndEndsTheProgram()
    {
        QTimer::singleShot(0, this, [this] {
            if (auto* form = f->window.findChild<TFormPlay*>()) {
                QVERIFY(form->EditTitle()->isReadOnly());
                form->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            }
        });
        const QString song = f->WriteFile(QStringLiteral("song.mld"), CompiledMelody(QStringLiteral("ドレミ")));
        f->window.StartUp({QStringLiteral("/P"), song});
        QCOMPARE(f->terminations, 1);
        QCOMPARE(Caption(), StopCaption);  // still playing while the program ends
    }

    void PlayAtStartThatFailsShowsNoPlayingWindow()
    {
        f->player.playResult = 7;
        bool shown = false;
        QTimer::singleShot(0, this, [this, &shown] {
            if (auto* form = f->window.findChild<TFormPlay*>()) {
                shown = true;
                form->close();
            }
        });
        const QString song = f->WriteFile(QStringLiteral("song.mld"), CompiledMelody(QStringLiteral("ドレミ")));
        f->window.StartUp({QStringLiteral("/P"), song});
        QVERIFY(!shown);
        QCOMPARE(f->terminations, 1);
    }

    void VoiceSwitchesChangePageCaptionsAndTheWrittenTracks()
    {
        auto* pages = f->window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QAction* voice2 = Action(f->window, "mnPlay2");
        voice2->trigger();
        QVERIFY(!voice2->isChecked());
        QCOMPARE(pages->tabText(pages->indexOf(f->window.Pages().Page(2))), QStringLiteral("第2音"));
        QCOMPARE(pages->tabText(pages->indexOf(f->window.Pages().Page(1))), QStringLiteral("♪第1音"));
        ClickPlay();
        QCOMPARE(TrackCount(f->player.midiBytes), 5);
        voice2->trigger();
        QCOMPARE(pages->tabText(pages->indexOf(f->window.Pages().Page(2))), QStringLiteral("♪第2音"));
    }

    void MidiExportSuggestsTheTitleAndWritesTheChosenFile()
    {
        f->window.findChild<QLineEdit*>(QStringLiteral("EditTitle"))->setText(QStringLiteral("a/b:c?"));
        WindowAccess::SetEditState(f->window, EditState::Current);
        const QString target = f->PathOf(QStringLiteral("out.mid"));
        f->fileDialogs.saveAnswers = {target, std::nullopt};
        Action(f->window, "mnPutMidi")->trigger();
        QCOMPARE(f->fileDialogs.saveCalls.size(), 1);
        QCOMPARE(f->fileDialogs.saveCalls[0].initialFile, QStringLiteral("a_b!c!.mid"));
        QCOMPARE(f->fileDialogs.saveCalls[0].filter, QStringLiteral("標準MIDIファイル(*.mid)"));
        QCOMPARE(f->fileDialogs.saveCalls[0].defaultSuffix, QStringLiteral("mid"));
        QCOMPARE(FileBytes(target).substr(0, 4), std::string("MThd"));
        QCOMPARE(f->boxes.records.size(), 0);
        QVERIFY(f->player.calls.isEmpty());

        // Cancel writes nothing; an unwritable path is reported, not ignored.
        QFile::remove(target);
        Action(f->window, "mnPutMidi")->trigger();
        QVERIFY(!QFile::exists(target));
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("no/such/folder/x.mid"))};
        Action(f->window, "mnPutMidi")->trigger();
        QCOMPARE(f->boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
    }

    // A tempo the file cannot take is refused first: no question, no file name asked.
    void MidiExportRefusesBeforeAnyQuestionOrFileName()
    {
        f->window.findChild<QComboBox*>(QStringLiteral("ComboBoxTempo"))->setEditText(QStringLiteral("300"));
        WindowAccess::SetEditState(f->window, EditState::ScoreEdited);
        f->fileDialogs.saveAnswers = {f->PathOf(QStringLiteral("out.mid"))};
        Action(f->window, "mnPutMidi")->trigger();
        QCOMPARE(f->boxes.Count(ScriptedMessageBoxes::Kind::Question), 0);
        QCOMPARE(f->fileDialogs.saveCalls.size(), 0);
        QCOMPARE(f->boxes.Texts(ScriptedMessageBoxes::Kind::Warning),
                 QStringList{FromSjis(std::string(Msg::TempoRefused) + "300\n" + std::string(Msg::AllowedTempo))});
        QVERIFY(!QFile::exists(f->PathOf(QStringLiteral("out.mid"))));
        // Play too refuses before its question.
        ClickPlay();
        QCOMPARE(f->boxes.Count(ScriptedMessageBoxes::Kind::Question), 0);
        QVERIFY(f->player.calls.isEmpty());
    }

    // Which states ask is the state table's subject (MainWindowStateTest);
    // here: after No, nothing is played or written.
    void UnanalysedMelodyAnsweredNoPlaysAndWritesNothing()
    {
        f->boxes.defaultAnswer = false;
        WindowAccess::SetEditState(f->window, EditState::ScoreEdited);
        ClickPlay();
        Action(f->window, "mnPutMidi")->trigger();
        QCOMPARE(f->boxes.Count(ScriptedMessageBoxes::Kind::Question), 2);
        QVERIFY(f->player.calls.isEmpty());
        QCOMPARE(f->fileDialogs.saveCalls.size(), 0);
        QCOMPARE(Caption(), PlayCaption);
    }
};

QTEST_MAIN(PlayCommandsTest)
#include "PlayCommandsTest.moc"
