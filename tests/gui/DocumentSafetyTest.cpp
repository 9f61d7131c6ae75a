// The document is never lost by a command: a save that leaves an edit out of
// the file keeps the document edited, every open and import path checks its
// input before it replaces anything, and the loss question's 「保存」 button
// goes on only after a save that kept everything.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QStatusBar>
#include <QLabel>
#include <QtTest>

#include "UnitMidi/MidiImport.h"
#include "UnitMld/MailText.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

Q_DECLARE_METATYPE(quaverly::EditState)

namespace {

bool SaveEnabled(const TFormMain& window)
{
    return window.findChild<QAction*>("mnSave1")->isEnabled();
}

QString Title(const TFormMain& window)
{
    return window.findChild<QLineEdit*>("EditTitle")->text();
}

// Opens a compiled "ドレミ" titled "Song" and types "ソ" on page 2.
QString OpenAndEdit(WindowFixture& fixture)
{
    const QString path = fixture.WriteFile("song.mld", CompiledMelody("ドレミ", "Song"));
    fixture.dialogs.mldSelectAnswer = path;
    fixture.window.mnOpen1Click();
    fixture.window.Pages().Memo(2)->setPlainText("ソ");
    return path;
}

// Notes (events with a gate) of each voice in a melody image.
std::array<int, 4> NotesPerVoice(const std::string& image)
{
    std::array<int, 4> notes{};
    MelodyStore store;
    store.MelodyImage() = image;
    if (!store.IsMelodyImage()) {
        return {-1, -1, -1, -1};
    }
    store.ListSequence();
    for (const SequenceEntry entry : store.Sequence()) {
        if (!entry.IsRaw() && !entry.IsEnd() && entry.Gate() > 0 && entry.Voice() >= 0 && entry.Voice() < 4) {
            ++notes[static_cast<size_t>(entry.Voice())];
        }
    }
    return notes;
}

}  // namespace

class DocumentSafetyTest : public QObject {
    Q_OBJECT

private slots:
    // Save after "音譜解析を行っていません。いいですか？" answered Yes wrote the
    // last analysed melody, leaving the edit out of the file. Yes now means
    // "analyse and save": the file holds what the pages say.
    void SaveOfUnanalysedEditWritesWhatThePagesSay()
    {
        WindowFixture fixture;
        const QString path = OpenAndEdit(fixture);
        const std::string before = FileBytes(path);
        fixture.window.mnSave1Click();
        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::AnalysisQuestion)});
        QCOMPARE(fixture.boxes.records.first().safe, SafeAnswer::Yes);
        QCOMPARE(NotesPerVoice(FileBytes(path)), (std::array<int, 4>{3, 1, 0, 0}));
        QVERIFY(FileBytes(path) != before);
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
        // Nothing to lose any more: New asks nothing.
        fixture.boxes.Clear();
        fixture.window.mnNewClick();
        QCOMPARE(fixture.boxes.Count(Kind::Question), 0);
    }

    void SaveAnsweredNoWritesNothing()
    {
        WindowFixture fixture;
        const QString path = OpenAndEdit(fixture);
        const std::string before = FileBytes(path);
        fixture.boxes.answers = {false};
        fixture.window.mnSave1Click();
        QCOMPARE(FileBytes(path), before);
        QCOMPARE(fixture.window.Document().State(), EditState::ScoreEdited);
        QCOMPARE(fixture.window.Pages().Memo(2)->toPlainText(), QStringLiteral("ソ"));
    }

    // A new document's first save wrote a 0-byte file; MIDI export of an
    // unanalysed new document wrote no notes. Every way of writing the
    // document, from a new one typed and never analysed, writes its notes.
    void EveryWriteOfANewSongHoldsItsNotes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("save as") << "saveas";
        QTest::newRow("save with no file bound") << "save";
        QTest::newRow("loss question: save") << "new";
        QTest::newRow("closing: save") << "close";
        QTest::newRow("MIDI export") << "midi";
        QTest::newRow("mail text") << "mail";
        QTest::newRow("play") << "play";
    }
    void EveryWriteOfANewSongHoldsItsNotes()
    {
        QFETCH(QString, path);
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText("ドレミファソ");
        const QString target = fixture.PathOf(path == "midi" ? "song.mid" : "song.mld");
        fixture.fileDialogs.saveAnswers = {target};
        fixture.boxes.saveAnswers = {QuestionAnswer::Save};
        if (path == "saveas") {
            window.mnSaveAs1Click();
        } else if (path == "save") {
            window.mnSave1Click();
        } else if (path == "new") {
            window.mnNewClick();
        } else if (path == "close") {
            QVERIFY(window.close());
        } else if (path == "midi") {
            window.mnPutMidiClick();
        } else if (path == "mail") {
            window.mnCreateMailClick();
        } else if (path == "play") {
            window.mnPlayClick();
        }
        QCOMPARE(fixture.boxes.Count(Kind::Error), 0);
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 0);
        if (path == "midi") {
            const std::string midi = FileBytes(target);
            QCOMPARE(ImportMidiFile(midi, "song.mid").report.notesRead, 5);
        } else if (path == "play") {
            QCOMPARE(ImportMidiFile(fixture.player.midiBytes, "Play.mid").report.notesRead, 5);
        } else if (path == "mail") {
            MelodyStore mailed;
            mailed.MelodyImage() = ReadMailText(*fixture.clipboard.text);
            QCOMPARE(NotesPerVoice(mailed.MelodyImage()), (std::array<int, 4>{5, 0, 0, 0}));
        } else {
            QCOMPARE(NotesPerVoice(FileBytes(target)), (std::array<int, 4>{5, 0, 0, 0}));
        }
    }

    // A refused analysis left the store empty, and Save then wrote a 0-byte
    // file over the song. A refusal before a save is shown and led to as
    // the analysis command shows it, and nothing is written; once mended,
    // the save writes the new notes.
    void RefusedAnalysisBeforeSaveKeepsTheFile()
    {
        WindowFixture fixture;
        const QString path = OpenAndEdit(fixture);
        const std::string before = FileBytes(path);
        auto* tempo = fixture.window.findChild<QComboBox*>("ComboBoxTempo");
        tempo->setEditText("0");
        fixture.window.mnMakeMldClick();
        fixture.boxes.Clear();
        fixture.window.mnSave1Click();
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 1);
        QVERIFY(fixture.boxes.Texts(Kind::Warning).first().startsWith(FromSjis(Msg::TempoRefused).trimmed()));
        QCOMPARE(FileBytes(path), before);
        QVERIFY(fixture.window.Document().State() != EditState::Saved);

        tempo->setEditText("125");
        fixture.boxes.Clear();
        fixture.window.mnSave1Click();
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 0);
        QCOMPARE(NotesPerVoice(FileBytes(path)), (std::array<int, 4>{3, 1, 0, 0}));
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
    }

    // The loss question's Yes discards the document: its default and Escape
    // answer is No. The analysis question's Yes keeps everything.
    void QuestionsDefaultToTheAnswerThatKeepsTheWork()
    {
        WindowFixture fixture;
        OpenAndEdit(fixture);
        fixture.boxes.answers = {false};
        fixture.window.mnNewClick();
        QCOMPARE(fixture.boxes.records.size(), 1);
        QCOMPARE(fixture.boxes.records.first().text, FromSjis(Msg::LossQuestion));
        QCOMPARE(fixture.boxes.records.first().safe, SafeAnswer::No);
    }

    // A new document's title had no "[*]": no unsaved mark, and Qt warned at every edit.
    void EveryDocumentShowsItsUnsavedMark()
    {
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings.append(text); });
        {
            WindowFixture fixture;
            QCOMPARE(fixture.window.windowTitle(), QStringLiteral("無題[*] - Quaverly"));
            QVERIFY(!fixture.window.isWindowModified());
            fixture.window.Pages().Memo(1)->setPlainText("ド");
            QVERIFY(fixture.window.isWindowModified());
            fixture.fileDialogs.saveAnswers = {fixture.PathOf("first.mld")};
            fixture.window.mnSaveAs1Click();
            QCOMPARE(fixture.window.windowTitle(), QStringLiteral("first.mld[*] - Quaverly"));
            QVERIFY(!fixture.window.isWindowModified());
        }
        qInstallMessageHandler(previous);
        QVERIFY2(warnings.filter("setWindowModified").isEmpty(), qPrintable(warnings.join('\n')));
    }

    // A clipboard text that is no melody once reset the editor first and
    // only then said "データ形式が異常です".
    void FailedMailImportKeepsDocument()
    {
        WindowFixture fixture;
        const QString path = OpenAndEdit(fixture);
        const std::string image = fixture.store.MelodyImage();
        fixture.clipboard.text = "not a melody at all";
        fixture.window.mnGetMailClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{FromSjis(Msg::DataFormatAbnormal)});
        QCOMPARE(fixture.boxes.Count(Kind::Question), 0);
        QCOMPARE(fixture.window.Pages().Memo(2)->toPlainText(), QStringLiteral("ソ"));
        QCOMPARE(Title(fixture.window), QStringLiteral("Song"));
        QCOMPARE(fixture.window.Document().State(), EditState::ScoreEdited);
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), path);
        QVERIFY(fixture.store.MelodyImage() == image);
    }

    void MailImportOfMelodyAsksThenReplaces()
    {
        WindowFixture fixture;
        OpenAndEdit(fixture);
        fixture.clipboard.text = "--B:M\r\n" + std::string("bWVsbwAAAAA=");  // "melo" + zero lengths
        fixture.window.mnGetMailClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::LossQuestion)});
        QVERIFY(fixture.window.Pages().Memo(2)->toPlainText().isEmpty());
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    // Opening a file that is not a melody (browser, drop, import, start-up
    // argument) reset the editor before the error: the work was gone.
    void FailedReadKeepsDocument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("bytes");  // empty: the file does not exist
        QTest::addColumn<int>("kind");
        QTest::newRow("browser: not a melody") << "browse.mld"
                                               << "hello" << int(Kind::Warning);
        QTest::newRow("browser: missing file") << "browse.mld"
                                               << "" << int(Kind::Error);
        QTest::newRow("drop: not a melody") << "drop.mld"
                                            << "hello" << int(Kind::Warning);
        QTest::newRow("drop: pocket melody of nothing") << "drop.pmr"
                                                        << "hello" << int(Kind::Warning);
        QTest::newRow("drop: broken numeric text") << "drop.c99"
                                                   << "72,x,0\r\n"
                                                   << int(Kind::Error);
        QTest::newRow("import: broken numeric text") << "import.c99"
                                                     << "72,0x48,0\r\n"
                                                     << int(Kind::Error);
        QTest::newRow("import: pocket melody of nothing") << "import.pmr"
                                                          << "hello" << int(Kind::Warning);
    }
    void FailedReadKeepsDocument()
    {
        QFETCH(QString, path);
        QFETCH(QString, bytes);
        QFETCH(int, kind);
        WindowFixture fixture;
        const QString bound = OpenAndEdit(fixture);
        const std::string image = fixture.store.MelodyImage();
        const QString target = bytes.isEmpty() ? fixture.PathOf(path) : fixture.WriteFile(path, bytes.toStdString());
        fixture.boxes.Clear();
        if (path.startsWith("browse")) {
            fixture.dialogs.mldSelectAnswer = target;
            fixture.window.mnOpen1Click();
        } else if (path.startsWith("drop")) {
            fixture.window.FileDrop1FileDrop({target});
        } else {
            fixture.fileDialogs.openAnswers = {target};
            fixture.window.mnImportClick();
        }
        // The "未サポートです" notes of ".pmr" and ".c99" come before; the refusal last.
        QVERIFY(!fixture.boxes.records.isEmpty());
        QCOMPARE(int(fixture.boxes.records.last().kind), kind);
        QCOMPARE(fixture.window.Pages().Memo(2)->toPlainText(), QStringLiteral("ソ"));
        QCOMPARE(Title(fixture.window), QStringLiteral("Song"));
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), bound);
        QCOMPARE(fixture.window.Document().State(), EditState::ScoreEdited);
        QVERIFY(SaveEnabled(fixture.window));
        QVERIFY(fixture.store.MelodyImage() == image);
    }

    void FailedFileArgumentBindsNothing()
    {
        WindowFixture fixture;
        fixture.window.StartUp({fixture.WriteFile("text.mld", "hello")});
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{FromSjis(Msg::DataFormatAbnormal)});
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QVERIFY(!SaveEnabled(fixture.window));
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
    }

    // A drop of a file that is not read asks nothing: the question comes only
    // when there is something to replace the document with.
    void RefusedDropAsksNothing()
    {
        WindowFixture fixture;
        OpenAndEdit(fixture);
        fixture.window.FileDrop1FileDrop({fixture.WriteFile("notes.doc", "x")});
        QCOMPARE(fixture.boxes.Count(Kind::Question), 0);
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{FromSjis(Msg::NotSupported)});
    }

    void CutShortMelodyOpensAndSaysWhatIsMissing()
    {
        WindowFixture fixture;
        std::string image = CompiledMelody("ドレミ", "Cut");
        image.resize(image.size() - 4);
        fixture.dialogs.mldSelectAnswer = fixture.WriteFile("cut.mld", image);
        fixture.window.mnOpen1Click();
        QCOMPARE(Title(fixture.window), QStringLiteral("Cut"));
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        // Said whole over the pages, not cut off in the status bar beside the meter.
        auto* notice = fixture.window.findChild<QLabel*>("LabelNotice");
        QVERIFY(!fixture.window.findChild<QWidget*>("NoticeBar")->isHidden());
        QVERIFY(notice->text().startsWith(FromSjis(Msg::MelodyPartsMissing).replace("\r\n", "\n").trimmed()));
        QVERIFY(notice->wordWrap());
        QVERIFY(fixture.window.statusBar()->currentMessage().isEmpty());
        fixture.window.mnNewClick();
        QVERIFY(fixture.window.findChild<QWidget*>("NoticeBar")->isHidden());
    }

    void BrowserStartsInCurrentFilesFolder()
    {
        WindowFixture fixture;
        fixture.window.mnOpen1Click();
        QVERIFY(fixture.dialogs.mldSelectStartFolder.isEmpty());
        const QString path = OpenAndEdit(fixture);
        fixture.window.mnOpen1Click();
        QCOMPARE(fixture.dialogs.mldSelectStartFolder, QFileInfo(path).absolutePath());
    }

    // 「保存」 on the loss question: save, then go on.
    void LossQuestionSaveButtonSavesFirst()
    {
        WindowFixture fixture;
        const QString path = OpenAndEdit(fixture);
        fixture.window.mnMakeMldClick();
        const std::string analysed = fixture.store.MelodyImage();
        QVERIFY(FileBytes(path) != analysed);
        fixture.boxes.Clear();
        fixture.boxes.saveAnswers = {QuestionAnswer::Save};
        fixture.window.mnNewClick();
        QCOMPARE(FileBytes(path), analysed);
        QVERIFY(fixture.window.Pages().Memo(2)->toPlainText().isEmpty());
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
    }

    // A save that did not keep everything (cancelled, refused, failed, or
    // refused by the analysis before it) does not let the command go on.
    void LossQuestionSaveThatKeepsLessStops_data()
    {
        QTest::addColumn<bool>("bound");
        QTest::addColumn<bool>("analysed");
        QTest::addColumn<QString>("saveAsAnswer");  // empty: cancelled
        QTest::newRow("analysis before the save refused") << true << false << "";
        QTest::newRow("save as cancelled") << false << true << "";
        QTest::newRow("save as refused extension") << false << true << "song.txt";
        QTest::newRow("save as into a missing folder") << false << true << "missing/song.mld";
    }
    void LossQuestionSaveThatKeepsLessStops()
    {
        QFETCH(bool, bound);
        QFETCH(bool, analysed);
        QFETCH(QString, saveAsAnswer);
        WindowFixture fixture;
        if (bound) {
            OpenAndEdit(fixture);
            fixture.window.findChild<QComboBox*>("ComboBoxTempo")->setEditText("0");
        } else {
            fixture.window.Pages().Memo(2)->setPlainText("ソ");
        }
        if (analysed) {
            fixture.window.mnMakeMldClick();
        }
        if (!saveAsAnswer.isEmpty()) {
            fixture.fileDialogs.saveAnswers = {fixture.PathOf(saveAsAnswer)};
        }
        fixture.boxes.saveAnswers = {QuestionAnswer::Save};
        fixture.window.mnNewClick();
        QVERIFY(!fixture.window.Pages().Memo(2)->toPlainText().isEmpty());
        QVERIFY(fixture.window.Document().State() != EditState::Empty);
    }
};

QTEST_MAIN(DocumentSafetyTest)
#include "DocumentSafetyTest.moc"
