// The edit commands: score analysis with its refusals and results in the
// controls, the file information and FFF0 dialogs, the mail text round trip
// through the clipboard, the text export, and the small commands.
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>

#include "UnitMld/MelodyText.h"
#include "base/Messages.h"
#include "UnitMld/MailText.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

QString Msgs(std::string_view sjis)
{
    return FromSjis(sjis);
}

}  // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void AnalysisFillsControls()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ド　レ\nミ"));
        window.Pages().Memo(3)->setPlainText(QStringLiteral("●４"));
        window.mnMakeMldClick();

        QCOMPARE(window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド４レ４ミ４"));
        QCOMPARE(window.findChild<QTabWidget*>("PageControl1")->currentWidget()->objectName(),
                 QStringLiteral("TabSheet5"));
        QVERIFY(window.findChild<QAbstractItemView*>("ListViewSeq")->model()->rowCount() >= 3);
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        const QString expectedHead = Msgs(Msg::ReportHead) + Msgs(Msg::ReportSize) +
                                     QString::number(fixture.store.MelodyImage().size()) + Msgs(Msg::ReportBytes);
        QVERIFY(reports[0].startsWith(expectedHead));
        QVERIFY(reports[0].contains(QStringLiteral("　第1音の範囲：")));
        QVERIFY(!reports[0].contains(QStringLiteral("第3音")));  // rests only: no range line
        QVERIFY(fixture.store.IsMelodyImage());
        QCOMPARE(window.Document().State(), EditState::Current);
    }

    void AnalysisTwiceShowsRowsOnce()
    {
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレ"));
        fixture.window.mnMakeMldClick();
        const int rows = fixture.window.findChild<QAbstractItemView*>("ListViewSeq")->model()->rowCount();
        fixture.window.mnMakeMldClick();
        QCOMPARE(fixture.window.findChild<QAbstractItemView*>("ListViewSeq")->model()->rowCount(), rows);
    }

    void AnalysisRefusals_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("voicePage");  // the page shown after the refusal; 0: the one shown before
        QTest::addColumn<QString>("allowed");  // the box's voice and range, the second line
        // Which texts are refused is the analysis unit's subject; here each
        // kind of box shows what a refusal leaves in the window and where it
        // leads the user.
        QTest::newRow("tempo 0") << "ComboBoxTempo"
                                 << "0" << Msgs(Msg::TempoRefused) << 0 << Msgs(Msg::AllowedTempo);
        QTest::newRow("tone 0 of voice 2") << "ComboBoxTone2"
                                           << "0" << Msgs(Msg::ToneRefused) << 2
                                           << Msgs(Msg::AllowedTone).replace(QStringLiteral("%d"), QStringLiteral("2"));
        QTest::newRow("volume -1 of voice 3") << "EditVol3"
                                              << "-1" << Msgs(Msg::VolumeRefused) << 3
                                              << Msgs(Msg::AllowedVolume).replace(QStringLiteral("%d"), QStringLiteral("3"));
        QTest::newRow("volume 70 of voice 4") << "EditVol4"
                                              << "70" << Msgs(Msg::VolumeRefused) << 4
                                              << Msgs(Msg::AllowedVolume).replace(QStringLiteral("%d"), QStringLiteral("4"));
    }
    void AnalysisRefusals()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, voicePage);
        QFETCH(QString, allowed);
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        auto* pages = window.findChild<QTabWidget*>("PageControl1");
        pages->setCurrentWidget(window.Pages().Page(1));
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ド　レ"));
        if (auto* box = window.findChild<QComboBox*>(control)) {
            box->setEditText(text);
        } else {
            window.findChild<QLineEdit*>(control)->setText(text);
        }
        WindowAccess::SetEditState(window, EditState::ScoreEdited);
        window.mnMakeMldClick();
        // The box names the voice and what it allows, as the list under the pages does.
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{message + text + QLatin1Char('\n') + allowed});
        QVERIFY(fixture.boxes.Texts(Kind::Information).isEmpty());
        QCOMPARE(window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド　レ"));
        QCOMPARE(window.findChild<QAbstractItemView*>("ListViewSeq")->model()->rowCount(), 0);
        QVERIFY(fixture.store.MelodyImage().empty());
        QCOMPARE(window.Document().State(), EditState::ScoreEdited);

        // The user is led to the box at fault, its text selected to be typed over.
        QCOMPARE(pages->currentWidget(), window.Pages().Page(voicePage == 0 ? 1 : voicePage));
        QWidget* field = window.findChild<QWidget*>(control);
        QWidget* focus = window.focusWidget();
        QVERIFY(focus != nullptr && (focus == field || focus->parentWidget() == field));
        auto* box = window.findChild<QComboBox*>(control);
        QLineEdit* edit = box != nullptr ? box->lineEdit() : window.findChild<QLineEdit*>(control);
        QCOMPARE(edit->selectedText(), text);
    }

    // 音階シフト moves the selection's notes, or the page's, by a semitone in
    // one undo step; notes that would leave the range stay and are named.
    void ScaleShiftMovesNotesInOneUndoStep()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.findChild<QTabWidget*>("PageControl1")->setCurrentWidget(window.Pages().Page(2));
        QPlainTextEdit* memo = window.Pages().Memo(2);
        memo->setPlainText(QStringLiteral("ド　レ\nミ８"));
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(2);
        cursor.setPosition(3, QTextCursor::KeepAnchor);  // レ
        memo->setTextCursor(cursor);
        window.mnMeloPClick();
        QCOMPARE(memo->toPlainText(), QStringLiteral("ド　レ＃４\nミ８"));
        memo->undo();
        QCOMPARE(memo->toPlainText(), QStringLiteral("ド　レ\nミ８"));
        memo->setPlainText(QStringLiteral("ラ▼▼▼ド\nミ８"));
        window.mnMeloMClick();
        QCOMPARE(memo->toPlainText(), QStringLiteral("ラ▼▼▼シ▼４\nレ＃８"));
        QCOMPARE(fixture.boxes.Texts(Kind::Information),
                 QStringList{Msgs(Msg::ShiftKeptHead) + QStringLiteral("「ラ▼▼▼」（1行1列）")});
        QVERIFY(fixture.boxes.Texts(Kind::Warning).isEmpty());
    }

    // The analysis rewrites the pages as one undo step: Ctrl+Z right after
    // it brings back each page exactly as typed, skipped characters included.
    void UndoAfterAnalysisRestoresTheTypedText()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        const QString typed = QStringLiteral("ミXYZ４ファ（abc）ソ［］ラ（４\nド▲▲▲▲");
        window.Pages().Memo(1)->setPlainText(QString());
        QTest::keyClicks(window.Pages().Memo(1), QStringLiteral("ab"));
        window.Pages().Memo(1)->selectAll();
        window.Pages().Memo(1)->insertPlainText(typed);
        window.Pages().Memo(2)->setPlainText(QStringLiteral("ド ド"));
        window.mnMakeMldClick();
        QCOMPARE(window.Pages().Memo(1)->toPlainText(), QStringLiteral("ミ４ファ４ソ４ラ４ド▲▲▲４"));
        window.Pages().Memo(1)->undo();
        QCOMPARE(window.Pages().Memo(1)->toPlainText(), typed);
        window.Pages().Memo(2)->undo();
        QCOMPARE(window.Pages().Memo(2)->toPlainText(), QStringLiteral("ド ド"));
    }

    void FileInfoDialog()
    {
        WindowFixture fixture;
        WindowAccess::FileInfo(fixture.window).copyright = "c";
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.window.mnInfoClick();  // cancelled
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
        QCOMPARE(fixture.dialogs.shownFileInfo.copyright, std::string("c"));

        fixture.dialogs.fileInfoAccept = true;
        fixture.dialogs.fileInfoEdit = [](MelodyFileInfo& info) {
            info.copyright = "(C) x";
            info.sorc = true;
        };
        fixture.window.mnInfoClick();
        QCOMPARE(WindowAccess::FileInfo(fixture.window).copyright, std::string("(C) x"));
        QVERIFY(WindowAccess::FileInfo(fixture.window).sorc);
        QCOMPARE(WindowAccess::FileInfo(fixture.window).version, std::string("0100"));
        QCOMPARE(fixture.window.Document().State(), EditState::SettingsEdited);
    }

    void F0DataDialog()
    {
        WindowFixture fixture;
        fixture.store.fff0DataHex = "00";
        fixture.window.mnF0DataClick();  // cancelled
        QCOMPARE(fixture.dialogs.shownF0DataHex, std::string("00"));
        QVERIFY(!fixture.store.fff0DataSet);

        fixture.dialogs.f0DataAccept = true;
        fixture.dialogs.f0DataEdit = [](bool& set, std::string& hex) {
            set = true;
            hex = "ABC";
        };
        fixture.window.mnF0DataClick();
        QVERIFY(fixture.store.fff0DataSet);
        QCOMPARE(fixture.store.fff0DataHex, std::string("ABC"));
        QCOMPARE(fixture.window.Document().State(), EditState::SettingsEdited);
    }

    void MailRoundTrip()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.findChild<QLineEdit*>("EditTitle")->setText(QStringLiteral("メール"));
        window.Pages().Memo(2)->setPlainText(QStringLiteral("ソ８ラ８"));
        window.mnMakeMldClick();
        const std::string image = fixture.store.MelodyImage();
        window.mnCreateMailClick();

        QVERIFY(fixture.clipboard.text.has_value());
        const std::string mail = *fixture.clipboard.text;
        QVERIFY(mail.starts_with("--B:M\r\n"));
        QCOMPARE(fixture.boxes.Texts(Kind::Information).last(),
                 QStringLiteral("メールサイズは %1 バイトです").arg(mail.size()));
        QCOMPARE(window.Document().State(), EditState::Current);

        window.mnNewClick();  // Current: asks, answered Yes
        window.mnGetMailClick();
        QCOMPARE(fixture.store.MelodyImage(), image);
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("メール"));
        QVERIFY(window.Pages().Memo(2)->toPlainText().startsWith(QStringLiteral("ソ８ラ８")));
        QVERIFY(!window.findChild<QAction*>("mnSave1")->isEnabled());
        QCOMPARE(window.Document().State(), EditState::Current);
    }

    // A new document never analysed once gave the marker line alone: its
    // empty pages are compiled first, so the mail holds a melody.
    void MailOfNewDocumentHoldsAMelody()
    {
        WindowFixture fixture;
        fixture.window.mnCreateMailClick();
        const std::string mail = *fixture.clipboard.text;
        QVERIFY(mail.starts_with("--B:M\r\n"));
        QVERIFY(ReadMailText(mail).starts_with("melo"));
        QCOMPARE(fixture.boxes.Texts(Kind::Information),
                 QStringList{QStringLiteral("メールサイズは %1 バイトです").arg(mail.size())});
    }

    // A clipboard without a melody once reset the editor before saying so.
    void MailImportWithoutMelodyKeepsDocument_data()
    {
        QTest::addColumn<bool>("hasText");
        QTest::newRow("no text") << false;
        QTest::newRow("not a melody") << true;
    }
    void MailImportWithoutMelodyKeepsDocument()
    {
        QFETCH(bool, hasText);
        WindowFixture fixture;
        if (hasText) {
            fixture.clipboard.text = "aGVsbG8=";
        }
        fixture.window.Pages().Memo(1)->setPlainText("ド");
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.window.mnGetMailClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{Msgs(Msg::DataFormatAbnormal)});
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド"));
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
    }

    void ExportWritesEditorTexts()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ\nファソ"));
        window.Pages().Tone(2)->setEditText("5");
        WindowAccess::FileInfo(window).date = "20240101";
        WindowAccess::SetEditState(window, EditState::Saved);
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.TML")};
        window.mnExportClick();

        QCOMPARE(fixture.fileDialogs.saveCalls.value(0).defaultSuffix, QStringLiteral("tml"));
        QVERIFY(fixture.fileDialogs.saveCalls.value(0).initialFile.isEmpty());
        const std::string written = FileBytes(fixture.PathOf("song.TML"));
        QCOMPARE(written, MelodyTextBytes(window.Pages().CollectEditorTexts(), WindowAccess::FileInfo(window)));
        QVERIFY(written.find(Sjis(QStringLiteral("$1\r\n-1 - ピアノ\r\n-63\r\nドレミ\r\nファソ\r\n"))) !=
                std::string::npos);
        QVERIFY(written.find("$2\r\n-5\r\n") != std::string::npos);
        QCOMPARE(window.Document().State(), EditState::Saved);
    }

    // Regression: the export analysed first, so it rewrote the pages in their
    // canonical spelling and wrote nothing while a box held a refused value.
    void ExportWritesThePagesAsTypedWithoutAnalysis()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        const QString typed = QStringLiteral("ど れ　み４X");
        window.Pages().Memo(1)->setPlainText(typed);
        window.Pages().Volume(3)->setText(QStringLiteral("70"));  // refused by the analysis
        fixture.boxes.answers = {true};
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.tml")};
        window.mnExportClick();

        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{Msgs(Msg::AnalysisQuestion)});
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{});
        QCOMPARE(window.Pages().Memo(1)->toPlainText(), typed);
        const std::string written = FileBytes(fixture.PathOf("song.tml"));
        QVERIFY(written.find(Sjis(QStringLiteral("$1\r\n-1 - ピアノ\r\n-63\r\n") + typed + "\r\n")) != std::string::npos);
        QVERIFY(written.find("$3\r\n-1 - ") != std::string::npos);
        QVERIFY(written.find("\r\n-70\r\n") != std::string::npos);
        QCOMPARE(window.Document().State(), EditState::SettingsEdited);
    }

    void ExportRefusesOtherExtension()
    {
        WindowFixture fixture;
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.txt")};
        fixture.window.mnExportClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{Msgs(Msg::NotSupported)});
        QVERIFY(!QFile::exists(fixture.PathOf("song.txt")));
    }

    void SmallCommands()
    {
        WindowFixture fixture;
        fixture.window.mnContentsClick();
        QCOMPARE(fixture.help.shown, QStringList{fixture.folder.path() + "/help/index.html"});
        fixture.window.mnAbout1Click();
        fixture.window.mnOptionClick();
        QCOMPARE(fixture.dialogs.aboutCalls, 1);
        QCOMPARE(fixture.dialogs.setupCalls, 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
    }

    void MenuItemsReachCommands()
    {
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ド"));
        fixture.window.findChild<QAction*>("mnMeloP")->trigger();
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド＃４"));
        fixture.window.findChild<QAction*>("mnContents")->trigger();
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 0);
        QCOMPARE(fixture.help.shown.size(), 1);
        QVERIFY(fixture.window.findChild<QAction*>("mnGetMidi")->isEnabled());
    }
};

QTEST_MAIN(EditCommandsTest)
#include "EditCommandsTest.moc"
