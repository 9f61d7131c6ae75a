// The file commands: New, Open, Save, Save As, Import, the file drop, Exit
// and closing, with the faults they mend: Save with no bound file, Exit
// with unsaved work, and a failing save that must not pass for a success.
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>

#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"

#include "base/Messages.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

Q_DECLARE_METATYPE(quaverly::EditState)

namespace {

const std::string NumericText = "72,480,0\r\n74,240,0\r\n";

QString Title(const TFormMain& window)
{
    return window.findChild<QLineEdit*>("EditTitle")->text();
}
bool SaveEnabled(const TFormMain& window)
{
    return window.findChild<QAction*>("mnSave1")->isEnabled();
}
QString NotSupported()
{
    return FromSjis(Msg::NotSupported);
}

// A melody text file (".tml") whose first page is the given text.
std::string MelodyTextFile(const QString& firstPage)
{
    EditorTexts texts;
    texts.tempo = "120";
    texts.title = "Text";
    texts.tones = {"1", "1", "1", "1"};
    texts.volumes = {"63", "63", "63", "63"};
    texts.scores = {Sjis(firstPage), "", "", ""};
    return MelodyTextBytes(texts, MelodyFileInfo{});
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void NewResetsEveryControl()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.findChild<QComboBox*>("ComboBoxTempo")->setEditText("200");
        window.findChild<QLineEdit*>("EditTitle")->setText("x");
        window.Pages().Tone(3)->setEditText("5");
        window.Pages().Volume(2)->setText("1");
        window.Pages().Memo(4)->setPlainText("ド");
        window.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(4);
        window.statusBar()->showMessage("x");
        WindowAccess::SetEditState(window, EditState::Saved);
        window.mnNewClick();

        auto* tempo = window.findChild<QComboBox*>("ComboBoxTempo");
        QCOMPARE(tempo->count(), 11);
        QCOMPARE(tempo->itemText(0), QStringLiteral("35"));
        QCOMPARE(tempo->itemText(10), QStringLiteral("225"));
        QCOMPARE(tempo->currentText(), QStringLiteral("125"));
        QCOMPARE(window.Pages().Tone(3)->count(), 16);
        QCOMPARE(window.Pages().Tone(3)->itemText(15), QStringLiteral("108 - 琴"));
        QCOMPARE(window.Pages().Tone(3)->currentText(), QStringLiteral("1 - ピアノ"));
        QCOMPARE(window.Pages().Volume(2)->text(), QStringLiteral("63"));
        QVERIFY(window.Pages().Memo(4)->toPlainText().isEmpty());
        QVERIFY(Title(window).isEmpty());
        QCOMPARE(window.findChild<QTabWidget*>("PageControl1")->currentIndex(), 0);
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
        QVERIFY(!SaveEnabled(window));
        QCOMPARE(window.Document().State(), EditState::Empty);
        QVERIFY(fixture.boxes.records.isEmpty());
    }

    void OpenLoadsChosenFile()
    {
        WindowFixture fixture;
        const QString path = fixture.WriteFile("song.mld", CompiledMelody("ドレミ", "Song"));
        fixture.dialogs.mldSelectAnswer = path;
        fixture.window.mnOpen1Click();
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), path);
        QCOMPARE(Title(fixture.window), QStringLiteral("Song"));
        QVERIFY(!fixture.window.Pages().Memo(1)->toPlainText().isEmpty());
        QVERIFY(fixture.window.findChild<QAbstractItemView*>("ListViewSeq")->model()->rowCount() > 0);
        QVERIFY(SaveEnabled(fixture.window));
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    // An Open whose file failed once reset the editor first: the work was gone.
    void OpenOfMissingFileKeepsDocument()
    {
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText("ド");
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.dialogs.mldSelectAnswer = fixture.PathOf("gone.mld");
        fixture.window.mnOpen1Click();
        QCOMPARE(fixture.boxes.Count(Kind::Error), 1);
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド"));
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
    }

    void OpenOfNonMelodyBindsNothing()
    {
        WindowFixture fixture;
        fixture.dialogs.mldSelectAnswer = fixture.WriteFile("text.mld", "hello");
        fixture.window.mnOpen1Click();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{FromSjis(Msg::DataFormatAbnormal)});
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QVERIFY(!SaveEnabled(fixture.window));
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
    }

    void SaveWritesBoundFile()
    {
        WindowFixture fixture;
        const std::string image = CompiledMelody("ソ", "Saved");
        const QString path = fixture.WriteFile("song.mld", image);
        fixture.dialogs.mldSelectAnswer = path;
        fixture.window.mnOpen1Click();
        fixture.WriteFile("song.mld", "old");
        fixture.window.mnSave1Click();
        QCOMPARE(FileBytes(path), image);
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
        QVERIFY(SaveEnabled(fixture.window));
        QVERIFY(fixture.fileDialogs.saveCalls.isEmpty());
    }

    void SaveFailureIsReportedNotSaved()
    {
        WindowFixture fixture;
        WindowAccess::SetEditState(fixture.window, EditState::Current);
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("no-such-folder/song.mld")};
        fixture.window.mnSaveAs1Click();
        QCOMPARE(fixture.boxes.Count(Kind::Error), 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
    }

    // A dropped ".c99" enables Save with no bound file: Save asks for a name
    // instead of writing anywhere, and writes nothing when cancelled.
    void SaveWithoutBoundFileRunsSaveAs()
    {
        WindowFixture fixture;
        const QString numeric = fixture.WriteFile("tune.c99", NumericText);
        fixture.window.FileDrop1FileDrop({numeric});
        QVERIFY(SaveEnabled(fixture.window));
        QVERIFY(fixture.window.Document().CurrentFileName().empty());

        fixture.window.mnSave1Click();
        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Current);

        fixture.fileDialogs.saveAnswers = {fixture.PathOf("named.mld")};
        fixture.window.mnSave1Click();
        QCOMPARE(FileBytes(fixture.PathOf("named.mld")), fixture.store.MelodyImage());
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), fixture.PathOf("named.mld"));
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
    }

    // A dropped ".pmr" binds the pocket-melody file: Save must not replace
    // it by a bare melody image, dropping its 192-byte header.
    void SaveOfDroppedPocketMelodyKeepsItsFile()
    {
        WindowFixture fixture;
        const std::string pocket = std::string(192, 'h') + CompiledMelody("ド", "Pocket");
        const QString path = fixture.WriteFile("tune.pmr", pocket);
        fixture.window.FileDrop1FileDrop({path});
        fixture.window.mnSave1Click();
        QCOMPARE(fixture.fileDialogs.saveCalls.value(0).initialFile, fixture.PathOf("tune.mld"));
        QCOMPARE(FileBytes(path), pocket);
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    void SaveAsProposesNameAndBindsFile()
    {
        WindowFixture fixture;
        fixture.window.findChild<QLineEdit*>("EditTitle")->setText("a/b:c*d<e>");
        WindowAccess::SetEditState(fixture.window, EditState::Current);
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.MLD")};
        fixture.window.mnSaveAs1Click();
        const FileDialogOptions shown = fixture.fileDialogs.saveCalls.value(0);
        QCOMPARE(shown.initialFile, QStringLiteral("a_b!c_d(e)"));
        QCOMPARE(shown.defaultSuffix, QStringLiteral("mld"));
        QCOMPARE(shown.filter, QStringLiteral("iメロディファイル(*.mld)"));
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), fixture.PathOf("song.MLD"));
        QVERIFY(QFile::exists(fixture.PathOf("song.MLD")));
        QVERIFY(SaveEnabled(fixture.window));
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);

        fixture.window.mnSaveAs1Click();
        QCOMPARE(fixture.fileDialogs.saveCalls.value(1).initialFile, fixture.PathOf("song.MLD"));
    }

    void SaveAsRefusesOtherExtension()
    {
        WindowFixture fixture;
        WindowAccess::SetEditState(fixture.window, EditState::Current);
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.txt")};
        fixture.window.mnSaveAs1Click();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{NotSupported()});
        QVERIFY(!QFile::exists(fixture.PathOf("song.txt")));
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    // A melody text file is compiled and adopted as an import, without the
    // "未サポートです" note, its pages' diagnostics listed at places of the file.
    void ImportReadsMelodyText()
    {
        WindowFixture fixture;
        const std::string bytes = MelodyTextFile(QStringLiteral("ドX\r\nレ８"));
        fixture.fileDialogs.openAnswers = {fixture.WriteFile("song.tml", bytes)};
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.window.mnImportClick();
        QVERIFY(fixture.boxes.Texts(Kind::Warning).isEmpty());
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド４レ８"));
        QCOMPARE(Title(fixture.window), QStringLiteral("Text"));
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        const size_t x = bytes.find('X');
        const int line = static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(x), '\n')) + 1;
        QCOMPARE(fixture.boxes.Texts(Kind::Information),
                 QStringList{QStringLiteral("song.tml") + FromSjis(Msg::FileDiagnosticsHead) +
                             QStringLiteral("\n%1行2列: 「X」は意味のない文字なので飛ばしました").arg(line)});
    }

    void ImportByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("loads");
        QTest::newRow("pmr") << "tune.pmr" << true;
        QTest::newRow("PMR upper case") << "TUNE.PMR" << true;
        QTest::newRow("c99") << "tune.c99" << true;
        QTest::newRow("other") << "song.doc" << false;
    }
    void ImportByExtension()
    {
        QFETCH(QString, name);
        QFETCH(bool, loads);
        WindowFixture fixture;
        const bool numeric = name.endsWith(".c99");
        const std::string bytes = numeric ? NumericText : std::string(192, '\0') + CompiledMelody("ミ", "Pocket");
        fixture.fileDialogs.openAnswers = {fixture.WriteFile(name, bytes)};
        fixture.window.Pages().Memo(2)->setPlainText("ソ");
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.window.mnImportClick();

        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{NotSupported()});
        QCOMPARE(fixture.window.Document().State(), loads ? EditState::Current : EditState::Saved);
        QCOMPARE(fixture.window.Pages().Memo(2)->toPlainText().isEmpty(), loads);
        QVERIFY(!fixture.window.Pages().Memo(1)->toPlainText().isEmpty() || !loads);
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QVERIFY(!SaveEnabled(fixture.window));
        if (loads && !numeric) {
            QCOMPARE(Title(fixture.window), QStringLiteral("Pocket"));
        }
    }

    void BrokenNumericTextStopsBeforeFilling()
    {
        WindowFixture fixture;
        fixture.fileDialogs.openAnswers = {fixture.WriteFile("bad.c99", "72,x,0\r")};
        fixture.window.mnImportClick();
        QCOMPARE(fixture.boxes.Count(Kind::Error), 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
        QVERIFY(fixture.window.Pages().Memo(1)->toPlainText().isEmpty());
    }

    void DropByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<bool>("binds");
        QTest::newRow("mld") << "a.mld" << 0 << true << true;
        QTest::newRow("MLD upper case") << "A.MLD" << 0 << true << true;
        QTest::newRow("pmr") << "a.pmr" << 1 << true << true;
        QTest::newRow("c99") << "a.c99" << 1 << true << false;
        QTest::newRow("other") << "a.doc" << 1 << false << false;
    }
    void DropByExtension()
    {
        QFETCH(QString, name);
        QFETCH(int, warnings);
        QFETCH(bool, loads);
        QFETCH(bool, binds);
        WindowFixture fixture;
        const std::string image = CompiledMelody("ラ", "Dropped");
        const std::string bytes = name.endsWith(".c99")   ? NumericText
                                  : name.endsWith(".pmr") ? std::string(192, 'h') + image
                                                          : image;
        const QString path = fixture.WriteFile(name, bytes);
        fixture.window.FileDrop1FileDrop({path, fixture.WriteFile("second.mld", image)});

        QCOMPARE(fixture.boxes.Count(Kind::Warning), warnings);
        QCOMPARE(fixture.window.Document().State(), loads ? EditState::Current : EditState::Empty);
        QCOMPARE(SaveEnabled(fixture.window), loads);
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), binds ? path : QString());
    }

    // A dropped melody text file was answered "未サポートです": it is
    // imported as the menu imports it, asked about once it has been read.
    void DroppedMelodyTextImportsAsTheMenuDoes()
    {
        WindowFixture fixture;
        const QString path = fixture.WriteFile("song.TML", MelodyTextFile(QStringLiteral("ド\r\nレ８")));
        fixture.window.Pages().Memo(1)->setPlainText("ソ");
        WindowAccess::SetEditState(fixture.window, EditState::Current);
        fixture.window.FileDrop1FileDrop({path});

        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::LossQuestion)});
        QVERIFY(fixture.boxes.Texts(Kind::Warning).isEmpty());
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド４レ８"));
        QCOMPARE(Title(fixture.window), QStringLiteral("Text"));
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QVERIFY(!SaveEnabled(fixture.window));
    }

    // The ringtone book could not be reached: a ".ktm" chosen for import or
    // dropped opens its dialog, and the chosen songs go into the pages from
    // the first on; the other pages keep their text.
    void RingtoneBookFillsThePagesInOrder_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("import") << false << false;
        QTest::newRow("drop") << true << false;
        QTest::newRow("import cancelled") << false << true;
        QTest::newRow("drop cancelled") << true << true;
    }
    void RingtoneBookFillsThePagesInOrder()
    {
        QFETCH(bool, dropped);
        QFETCH(bool, cancelled);
        WindowFixture fixture;
        const QString path = fixture.WriteFile("book.KTM", std::string(19, '\0'));
        if (!cancelled) {
            fixture.dialogs.ringtoneBookAnswer =
                std::vector<std::string>{Sjis(QStringLiteral("ドレミ")), Sjis(QStringLiteral("ソ\r\nラ"))};
        }
        fixture.window.Pages().Memo(3)->setPlainText(QStringLiteral("シ"));
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        if (dropped) {
            fixture.window.FileDrop1FileDrop({path});
        } else {
            fixture.fileDialogs.openAnswers = {path};
            fixture.window.mnImportClick();
        }

        QCOMPARE(fixture.dialogs.ringtoneBookPaths, QStringList{path});
        QVERIFY(fixture.boxes.Texts(Kind::Warning).isEmpty());
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), cancelled ? QString() : QStringLiteral("ドレミ"));
        QCOMPARE(fixture.window.Pages().Memo(2)->toPlainText(), cancelled ? QString() : QStringLiteral("ソ\nラ"));
        QCOMPARE(fixture.window.Pages().Memo(3)->toPlainText(), QStringLiteral("シ"));
        QCOMPARE(fixture.window.Document().State(), cancelled ? EditState::Saved : EditState::ScoreEdited);
    }

    // Exit once ended the program at once, dropping unsaved work.
    void ExitAsksBeforeDroppingUnsavedWork()
    {
        WindowFixture fixture;
        WindowAccess::SetEditState(fixture.window, EditState::ScoreEdited);
        fixture.boxes.answers = {false};
        fixture.window.mnExit1Click();
        QCOMPARE(fixture.terminations, 0);
        fixture.boxes.answers = {true};
        fixture.window.mnExit1Click();
        QCOMPARE(fixture.terminations, 1);
        QCOMPARE(fixture.boxes.Count(Kind::Question), 2);  // closing does not ask again
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
