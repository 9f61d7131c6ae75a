// A melody file of another maker (MFi) in the window: opened by a drop, Open,
// the file argument, it is shown as it is (empty read-only pages with the
// explaining line, every channel in the roll, play of every channel, the file
// information of what it is); 「編集用に取り込む」 folds it into four voices
// bound to no file; Save never writes over the other maker's file without
// asking; the loss question guards unsaved work before it replaces anything.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include "../core/MfiWriter.h"
#include "UnitInfo/TFileInfoDlg.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMld/MelodyOrigin.h"
#include "UnitRoll/TPianoRoll.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/FileIO.h"
#include "UnitMld/NotationTables.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

QString ForeignLine()
{
    return FromSjis(Msg::MfiForeignPage);
}

// The window showing EveryFeatureFile as "ring.mld", opened by a drop.
struct ShownForeign {
    ShownForeign()
    {
        path = fixture.WriteFile(QStringLiteral("ring.mld"), bytes);
        fixture.window.FileDrop1FileDrop({path});
        fixture.boxes.Clear();
    }
    QAction* Item(const char* name) const { return fixture.window.findChild<QAction*>(QString::fromLatin1(name)); }

    WindowFixture fixture;
    std::string bytes = mfitest::EveryFeatureFile();
    QString path;
};

uint16_t MidiTrackCount(const std::string& midi)
{
    return static_cast<uint16_t>((static_cast<unsigned char>(midi[10]) << 8) | static_cast<unsigned char>(midi[11]));
}

}  // namespace

class OtherMakersMelodyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void EveryOpenShowsItAsItIs_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("drop") << QStringLiteral("drop");
        QTest::newRow("open through the browser") << QStringLiteral("open");
        QTest::newRow("file argument") << QStringLiteral("argument");
    }
    void EveryOpenShowsItAsItIs()
    {
        QFETCH(QString, how);
        WindowFixture fixture;
        const QString path = fixture.WriteFile(QStringLiteral("ring.mld"), mfitest::EveryFeatureFile());
        if (how == QLatin1String("drop")) {
            fixture.window.FileDrop1FileDrop({path});
        } else if (how == QLatin1String("open")) {
            fixture.dialogs.mldSelectAnswer = path;
            fixture.window.mnOpen1Click();
        } else {
            fixture.window.StartUp({path});
        }
        QVERIFY(fixture.window.Document().Foreign() != nullptr);
        QCOMPARE(QFile::decodeName(QByteArray::fromStdString(fixture.window.Document().ForeignPath())), path);
        // No channel choice and no report: nothing was folded.
        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{0});
        QCOMPARE(fixture.boxes.records.size(), 0);
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            QPlainTextEdit* memo = fixture.window.Pages().Memo(voice);
            QVERIFY(memo->toPlainText().isEmpty());
            QVERIFY(memo->isReadOnly());
            QCOMPARE(memo->placeholderText(), ForeignLine());
            QVERIFY(!fixture.window.Pages().Tone(voice)->isEnabled());
        }
        QCOMPARE(fixture.window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Every"));
        // The meter of the pages would measure the empty pages, not this melody.
        QVERIFY(fixture.window.findChild<QLabel*>("LabelMeter")->isHidden());
        QVERIFY(fixture.window.windowTitle().startsWith(QStringLiteral("ring.mld")));
        QVERIFY(!fixture.window.isWindowModified());
        // Bound to no file: nothing can be saved to it by accident.
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), QString());
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    void ReadOnlyPagesTakeNoTyping()
    {
        ShownForeign shown;
        QPlainTextEdit* memo = shown.fixture.window.Pages().Memo(1);
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("cde"));
        QVERIFY(memo->toPlainText().isEmpty());
        QVERIFY(shown.fixture.window.Document().Foreign() != nullptr);
    }

    void RollShowsEveryChannelInItsColour()
    {
        ShownForeign shown;
        const RollModel& model = WindowAccess::PianoRoll(shown.fixture.window)->Model();
        const MfiMelody melody = ReadMfiMelody(shown.bytes, "ring.mld");
        QVERIFY(model.IsForeign());
        QCOMPARE(model.LaneCount(), MfiLaneCount);
        const std::array<int, MfiLaneCount> counts = melody.NotesPerLane();
        int low = 127;
        int high = 0;
        for (const MfiNote& note : melody.notes) {
            low = std::min<int>(low, note.key);
            high = std::max<int>(high, note.key);
        }
        for (int lane = 0; lane < MfiLaneCount; ++lane) {
            QCOMPARE(static_cast<int>(model.Notes(lane).size()), counts[static_cast<size_t>(lane)]);
        }
        QCOMPARE(model.LowestNote(), low);
        QCOMPARE(model.LowestNote() + model.NoteCount() - 1, high);
        // Seven channels have notes: lanes 0-3, 4, 9 and 14.
        QCOMPARE(static_cast<int>(std::count_if(counts.begin(), counts.end(), [](int n) { return n > 0; })), 7);
        QSet<QRgb> colours;
        for (int lane = 0; lane < MfiLaneCount; ++lane) {
            colours.insert(TPianoRoll::LaneColor(lane).rgb());
        }
        QCOMPARE(colours.size(), MfiLaneCount);

        // The pages' live check does not replace the channels with the empty pages.
        QTest::qWait(50);
        QCoreApplication::processEvents();
        QVERIFY(WindowAccess::PianoRoll(shown.fixture.window)->Model().IsForeign());
    }

    // Every zoom paints the channels in their colours, also where many notes
    // share a pixel column and are drawn as runs.
    void RollPaintsEveryChannelAtEveryZoom_data()
    {
        QTest::addColumn<double>("pixelsPerTick");
        QTest::newRow("far out: runs") << 0.01;
        QTest::newRow("first scale") << 0.5;
        QTest::newRow("close in") << 16.0;
    }
    void RollPaintsEveryChannelAtEveryZoom()
    {
        QFETCH(double, pixelsPerTick);
        WindowFixture fixture;
        fixture.window.resize(1000, 900);
        fixture.window.show();
        fixture.window.FileDrop1FileDrop(
            {fixture.WriteFile(QStringLiteral("busy.mld"), mfitest::BusyFourTrackFile(true))});
        TPianoRoll* roll = WindowAccess::PianoRoll(fixture.window);
        roll->SetPixelsPerTick(pixelsPerTick);
        QCoreApplication::processEvents();
        QImage image(roll->Canvas()->size(), QImage::Format_ARGB32);
        roll->Canvas()->render(&image);
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = TPianoRoll::KeyboardWidth; x < image.width(); ++x) {
                seen.insert(image.pixel(x, y) & 0xFFFFFF);
            }
        }
        // The first channel's notes, solid, somewhere in view.
        QVERIFY(seen.contains(TPianoRoll::LaneColor(0).rgb() & 0xFFFFFF));
    }

    void PlaySoundsEveryChannelAndTheRollFollows()
    {
        ShownForeign shown;
        WindowFixture& fixture = shown.fixture;
        fixture.settings.values.insert(QStringLiteral("Midi/EditTempo"), QStringLiteral("100"));
        fixture.window.mnPlayClick();
        QCOMPARE(fixture.player.calls, (QStringList{QStringLiteral("Open"), QStringLiteral("Play")}));
        // The play file is the all-channel MIDI file of the melody, not four voices.
        const std::string played = fixture.player.midiBytes;
        QCOMPARE(played, MfiMidiFileBytes(ReadMfiMelody(shown.bytes, "ring.mld")));
        QCOMPARE(MidiTrackCount(played), uint16_t{8});  // the conductor and seven channels
        QCOMPARE(fixture.boxes.records.size(), 0);

        fixture.player.currentTime = 96;
        WindowAccess::FollowPlay(fixture.window);
        QCOMPARE(WindowAccess::PianoRoll(fixture.window)->Playhead(), 96);
        QVERIFY(WindowAccess::PianoRoll(fixture.window)->Model().IsForeign());

        fixture.window.mnPlayClick();  // stops
        QCOMPARE(fixture.player.calls.last(), QStringLiteral("Stop"));
        fixture.player.Finish();
        QCOMPARE(WindowAccess::PianoRoll(fixture.window)->Playhead(), -1);
        QCOMPARE(fixture.player.calls.last(), QStringLiteral("Close"));
    }

    void MidiExportWritesEveryChannel()
    {
        ShownForeign shown;
        const QString target = shown.fixture.PathOf(QStringLiteral("ring.mid"));
        shown.fixture.fileDialogs.saveAnswers.append(target);
        shown.fixture.window.mnPutMidiClick();
        const std::string written = FileBytes(target);
        QVERIFY(written.size() > 14);
        QCOMPARE(MidiTrackCount(written), uint16_t{8});
    }

    void VoiceCommandsAreDisabledAndExplainThemselves_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("analysis") << QStringLiteral("mnMakeMld");
        QTest::newRow("FFF0 data") << QStringLiteral("mnF0Data");
        QTest::newRow("mail") << QStringLiteral("mnCreateMail");
        QTest::newRow("scale shift up") << QStringLiteral("mnMeloP");
        QTest::newRow("scale shift down") << QStringLiteral("mnMeloM");
        QTest::newRow("text export") << QStringLiteral("mnExport");
    }
    void VoiceCommandsAreDisabledAndExplainThemselves()
    {
        QFETCH(QString, item);
        ShownForeign shown;
        QAction* action = shown.fixture.window.findChild<QAction*>(item);
        QVERIFY(action != nullptr);
        QVERIFY(!action->isEnabled());
        // Reached some other way, the command says why and changes nothing.
        QMetaObject::invokeMethod(&shown.fixture.window, (item + QStringLiteral("Click")).toLatin1().constData());
        QCOMPARE(shown.fixture.boxes.Texts(Kind::Information), QStringList{FromSjis(Msg::MfiViewOnly)});
        QVERIFY(shown.fixture.window.Document().Foreign() != nullptr);
        QCOMPARE(shown.fixture.clipboard.text, std::optional<std::string>());
        QCOMPARE(shown.fixture.fileDialogs.saveCalls.size(), 0);
    }

    void PlayItemsOfVoicesAreDisabledOnlyWhileShown()
    {
        ShownForeign shown;
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            QVERIFY(!shown.fixture.window.Pages().PlayItem(voice)->isEnabled());
        }
        QVERIFY(!shown.Item("mnPlayFromCursor")->isEnabled());
        QVERIFY(shown.Item("mnImportForEditing")->isEnabled());
        shown.fixture.window.mnNewClick();
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            QVERIFY(shown.fixture.window.Pages().PlayItem(voice)->isEnabled());
            QVERIFY(!shown.fixture.window.Pages().Memo(voice)->isReadOnly());
            QVERIFY(shown.fixture.window.Pages().Memo(voice)->placeholderText().isEmpty());
        }
        QVERIFY(shown.Item("mnMakeMld")->isEnabled());
        QVERIFY(!shown.Item("mnImportForEditing")->isEnabled());
        QVERIFY(!shown.fixture.window.findChild<QLabel*>("LabelMeter")->isHidden());
        QVERIFY(shown.fixture.window.findChild<QComboBox*>("ComboBoxTempo")->isEnabled());
        QVERIFY(!shown.fixture.window.findChild<QLineEdit*>("EditTitle")->isReadOnly());
        QVERIFY(!WindowAccess::PianoRoll(shown.fixture.window)->Model().IsForeign());
    }

    void ImportForEditingFoldsItIntoFourVoices()
    {
        ShownForeign shown;
        WindowFixture& fixture = shown.fixture;
        fixture.dialogs.midiChannelsAnswer = std::vector<int>{1, 5};
        shown.Item("mnImportForEditing")->trigger();

        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{1});
        QVERIFY(fixture.window.Document().Foreign() == nullptr);
        QVERIFY(!fixture.window.Pages().Memo(1)->toPlainText().isEmpty());
        QVERIFY(!fixture.window.Pages().Memo(2)->toPlainText().isEmpty());
        QVERIFY(!fixture.window.Pages().Memo(1)->isReadOnly());
        QCOMPARE(fixture.window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Every"));
        // Bound to no file: the next Save asks for a name.
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), QString());
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        QVERIFY(fixture.store.IsMelodyImage());
        QVERIFY(!IsForeignMelodyImage(fixture.store.MelodyImage()));
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].startsWith(QStringLiteral("ほかのメーカーのメロディなので")));
        QVERIFY(!shown.Item("mnImportForEditing")->isEnabled());
        QVERIFY(!WindowAccess::PianoRoll(fixture.window)->Model().IsForeign());

        fixture.window.mnSave1Click();  // the save dialog is cancelled
        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        QCOMPARE(FileBytes(shown.path), shown.bytes);
    }

    // The greyed boxes showed a new document's 125, 「1 - ピアノ」 and 63;
    // the fold's dialog and report were titled as a MIDI file's read.
    void GreyedBoxesShowTheFilesTempoAndPrograms()
    {
        ShownForeign shown;
        TFormMain& window = shown.fixture.window;
        const MfiMelody& melody = *window.Document().Foreign();
        QCOMPARE(window.findChild<QComboBox*>("ComboBoxTempo")->currentText(),
                 QString::number(melody.tempos.front().tempo));
        int lane = 0;
        while (melody.NotesPerLane()[static_cast<size_t>(lane)] == 0) {
            ++lane;
        }
        int program = 0;
        for (const MfiControl& control : melody.controls) {
            if (control.lane == lane && control.kind == MfiControlKind::Program) {
                program = control.value;
                break;
            }
        }
        QCOMPARE(window.Pages().Tone(1)->currentText(),
                 QString::number(program + 1) + " - " + FromSjis(ToneName(program + 1)));
        QVERIFY(window.Pages().Tone(1)->toolTip().contains(QString::number(lane + 1)));
        QVERIFY(window.findChild<QLineEdit*>("EditTitle")->isReadOnly());
        QVERIFY(!window.findChild<QLineEdit*>("EditTitle")->styleSheet().isEmpty());

        shown.Item("mnImportForEditing")->trigger();
        QCOMPARE(FromSjis(shown.fixture.dialogs.shownMidiSurveys.at(0).dialogTitle), QStringLiteral("編集用に取り込む"));
        const QString report = shown.fixture.boxes.Texts(Kind::Information).value(0);
        QVERIFY2(report.contains(QStringLiteral("編集用に取り込んだ結果")) && !report.contains(QStringLiteral("MIDI読み込み結果")),
                 qPrintable(report));
        // Back to the own document: the boxes are the document's again.
        QVERIFY(window.Pages().Tone(1)->toolTip().isEmpty());
        QVERIFY(window.findChild<QLineEdit*>("EditTitle")->styleSheet().isEmpty());
    }

    // The keyboard said C3/C4 for another maker's melody and ド/ド▲ for an own one.
    void KeyboardNamesKeysInTheNotation_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("name");
        QTest::newRow("unmarked do") << 72 << QStringLiteral("ド");
        QTest::newRow("octave below") << 60 << QStringLiteral("ド▼");
        QTest::newRow("octave above") << 84 << QStringLiteral("ド▲");
        QTest::newRow("la below") << 69 << QStringLiteral("ラ▼");
        QTest::newRow("si just below do") << 71 << QStringLiteral("シ▼");
        QTest::newRow("lowest piano key") << 21 << QStringLiteral("ラ▼▼▼▼▼");
        QTest::newRow("beyond own notes") << 120 << QStringLiteral("ド▲▲▲▲");
    }
    void KeyboardNamesKeysInTheNotation()
    {
        QFETCH(int, key);
        QFETCH(QString, name);
        ShownForeign shown;
        const RollModel& foreign = WindowAccess::PianoRoll(shown.fixture.window)->Model();
        QVERIFY(foreign.IsForeign());
        QCOMPARE(RollRowName(foreign, key), name);
        // An own melody's note of the same pitch is named alike.
        if (key >= 45 && key < 45 + 64) {
            QCOMPARE(RollRowName(RollModel(), key - 45), name);
        }
    }

    // Sixteen channels' legend pushed the window wider than the screen (the
    // twelfth channel, the scroll bar and the close button fell off) and
    // the page box stayed shrunk after it.
    void ManyChannelsLeaveTheWindowsWidthAlone()
    {
        WindowFixture fixture;
        fixture.window.show();
        const int before = fixture.window.minimumSizeHint().width();
        fixture.window.FileDrop1FileDrop(
            {fixture.WriteFile(QStringLiteral("busy.mld"), mfitest::BusyFourTrackFile(true))});
        QVERIFY(fixture.window.Document().Foreign() != nullptr);
        QVERIFY(fixture.window.findChild<QToolButton*>("RollSolo16")->isVisibleTo(&fixture.window));
        QCOMPARE(fixture.window.minimumSizeHint().width(), before);
        fixture.window.mnNewClick();
        QCOMPARE(fixture.window.minimumSizeHint().width(), before);
    }

    void CancelledChannelChoiceKeepsItShown()
    {
        ShownForeign shown;
        shown.fixture.dialogs.midiChannelsCancel = true;
        shown.Item("mnImportForEditing")->trigger();
        QVERIFY(shown.fixture.window.Document().Foreign() != nullptr);
        QVERIFY(shown.fixture.window.Pages().Memo(1)->isReadOnly());
        QCOMPARE(shown.fixture.boxes.records.size(), 0);
    }

    void SaveNeverWritesTheForeignFileWithoutAsking_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Save, No") << false << false;
        QTest::newRow("Save As, No") << true << false;
        QTest::newRow("Save, Yes, then a new name") << false << true;
        QTest::newRow("Save As, Yes, then a new name") << true << true;
    }
    void SaveNeverWritesTheForeignFileWithoutAsking()
    {
        QFETCH(bool, saveAs);
        QFETCH(bool, answer);
        ShownForeign shown;
        WindowFixture& fixture = shown.fixture;
        const QString target = fixture.PathOf(QStringLiteral("mine.mld"));
        fixture.boxes.answers = {answer};
        fixture.fileDialogs.saveAnswers.append(target);
        saveAs ? fixture.window.mnSaveAs1Click() : fixture.window.mnSave1Click();

        QCOMPARE(fixture.boxes.records.first().kind, Kind::Question);
        QCOMPARE(fixture.boxes.records.first().text, FromSjis(Msg::MfiSaveQuestion));
        // Enter and Escape keep the file as it is.
        QCOMPARE(fixture.boxes.records.first().safe, SafeAnswer::No);
        QCOMPARE(FileBytes(shown.path), shown.bytes);
        if (!answer) {
            QCOMPARE(fixture.fileDialogs.saveCalls.size(), 0);
            QVERIFY(fixture.window.Document().Foreign() != nullptr);
            QVERIFY(!QFile::exists(target));
            return;
        }
        // Folded, then a new name: the file written is this program's own melody.
        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{1});
        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        const std::string saved = FileBytes(target);
        QVERIFY(!saved.empty());
        QVERIFY(!IsForeignMelodyImage(saved));
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), target);
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
    }

    void LossQuestionComesBeforeReplacingUnsavedWork_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("answer");
        QTest::newRow("drop, No") << QStringLiteral("drop") << false;
        QTest::newRow("drop, Yes") << QStringLiteral("drop") << true;
        QTest::newRow("open, No") << QStringLiteral("open") << false;
        QTest::newRow("open, Yes") << QStringLiteral("open") << true;
    }
    void LossQuestionComesBeforeReplacingUnsavedWork()
    {
        QFETCH(QString, how);
        QFETCH(bool, answer);
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ"));
        WindowAccess::SetEditState(fixture.window, EditState::ScoreEdited);
        const QString path = fixture.WriteFile(QStringLiteral("ring.mld"), mfitest::EveryFeatureFile());
        fixture.boxes.answers = {answer};
        if (how == QLatin1String("drop")) {
            fixture.window.FileDrop1FileDrop({path});
        } else {
            fixture.dialogs.mldSelectAnswer = path;
            fixture.window.mnOpen1Click();
        }
        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::LossQuestion)});
        QCOMPARE(fixture.window.Document().Foreign() != nullptr, answer);
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), answer ? QString() : QStringLiteral("ドレミ"));
        QCOMPARE(fixture.window.Document().State(), answer ? EditState::Current : EditState::ScoreEdited);
    }

    void CutShortFileIsShownAsFarAsItReads()
    {
        WindowFixture fixture;
        const std::string bytes = mfitest::EveryFeatureFile();
        // Cut inside the first track: what comes before is shown, and a notice over the pages says where it stopped.
        const std::string cut = bytes.substr(0, bytes.find("trac") + 62);
        fixture.window.FileDrop1FileDrop({fixture.WriteFile(QStringLiteral("cut.mld"), cut)});
        QVERIFY(fixture.window.Document().Foreign() != nullptr);
        QVERIFY(fixture.window.Document().Foreign()->partial);
        QVERIFY(!WindowAccess::PianoRoll(fixture.window)->Model().Empty());
        QCOMPARE(fixture.window.findChild<QLabel*>("LabelNotice")->text(),
                 FromSjis(fixture.window.Document().Foreign()->partialMessage).replace("\r\n", "\n").trimmed());
    }

    void FileInformationShowsWhatTheFileIs()
    {
        ShownForeign shown;
        shown.fixture.window.mnInfoClick();
        QCOMPARE(shown.fixture.dialogs.foreignInfoCalls, 1);
        QCOMPARE(shown.fixture.dialogs.fileInfoCalls, 0);
        QCOMPARE(shown.fixture.dialogs.shownForeignInfo.title, std::string("Every"));
        QCOMPARE(shown.fixture.window.Document().State(), EditState::Current);

        // The dialog itself: every field read-only, the facts below them.
        TFileInfoDlg dialog;
        dialog.LoadForeign(shown.fixture.dialogs.shownForeignInfo);
        QVERIFY(dialog.IsReadOnly());
        QCOMPARE(dialog.findChild<QLineEdit*>("EditVL")->text(), QStringLiteral("0301"));
        QCOMPARE(dialog.findChild<QLineEdit*>("EditCopy")->text(), QStringLiteral("(c) test"));
        QVERIFY(dialog.findChild<QLineEdit*>("EditCopy")->isReadOnly());
        QVERIFY(!dialog.findChild<QCheckBox*>("CheckBoxSorc")->isEnabled());
        QVERIFY(dialog.findChild<QPushButton*>("CancelBtn")->isHidden());
        const QString facts = dialog.findChild<QPlainTextEdit*>("EditForeignFacts")->toPlainText();
        for (const QString& line : {QStringLiteral("タイトル: Every"), QStringLiteral("トラック数: 4"),
                                    QStringLiteral("チャンネル 1 (トラック 1): 1 音"),
                                    QStringLiteral("チャンネル 10 (トラック 3, 打楽器): 1 音")}) {
            QVERIFY2(facts.contains(line), qPrintable(facts));
        }
        // Loaded with an own melody's information, it is the editable dialog again.
        dialog.LoadFrom(MelodyFileInfo{});
        QVERIFY(!dialog.IsReadOnly());
        QVERIFY(!dialog.findChild<QLineEdit*>("EditCopy")->isReadOnly());
        QVERIFY(dialog.findChild<QPlainTextEdit*>("EditForeignFacts")->isHidden());
    }
};

QTEST_MAIN(OtherMakersMelodyTest)
#include "OtherMakersMelodyTest.moc"
