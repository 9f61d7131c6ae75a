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
        window.VoiceMemo(1)->setPlainText(QStringLiteral("ド　レ\nミ"));
        window.VoiceMemo(3)->setPlainText(QStringLiteral("●４"));
        window.mnMakeMldClick();

        QCOMPARE(window.VoiceMemo(1)->toPlainText(), QStringLiteral("ド４レ４ミ４"));
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
        QCOMPARE(window.State(), EditState::Current);
    }

    void AnalysisTwiceShowsRowsOnce()
    {
        WindowFixture fixture;
        fixture.window.VoiceMemo(1)->setPlainText(QStringLiteral("ドレ"));
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
        // Which texts are refused is the analysis unit's subject; here each
        // kind of box shows what a refusal leaves in the window and where it
        // leads the user.
        QTest::newRow("tempo 0") << "ComboBoxTempo"
                                 << "0" << Msgs(Msg::TempoRefused) << 0;
        QTest::newRow("tone 0 of voice 2") << "ComboBoxTone2"
                                           << "0" << Msgs(Msg::ToneRefused) << 2;
        QTest::newRow("volume -1 of voice 3") << "EditVol3"
                                              << "-1" << Msgs(Msg::VolumeRefused) << 3;
        QTest::newRow("volume 70 of voice 4") << "EditVol4"
                                              << "70" << Msgs(Msg::VolumeRefused) << 4;
    }
    void AnalysisRefusals()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, voicePage);
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        auto* pages = window.findChild<QTabWidget*>("PageControl1");
        pages->setCurrentWidget(window.VoicePage(1));
        window.VoiceMemo(1)->setPlainText(QStringLiteral("ド　レ"));
        if (auto* box = window.findChild<QComboBox*>(control)) {
            box->setEditText(text);
        } else {
            window.findChild<QLineEdit*>(control)->setText(text);
        }
        window.SetEditState(EditState::ScoreEdited);
        window.mnMakeMldClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{message + text});
        QVERIFY(fixture.boxes.Texts(Kind::Information).isEmpty());
        QCOMPARE(window.VoiceMemo(1)->toPlainText(), QStringLiteral("ド　レ"));
        QCOMPARE(window.findChild<QAbstractItemView*>("ListViewSeq")->model()->rowCount(), 0);
        QVERIFY(fixture.store.MelodyImage().empty());
        QCOMPARE(window.State(), EditState::ScoreEdited);

        // The user is led to the box at fault, its text selected to be typed over.
        QCOMPARE(pages->currentWidget(), window.VoicePage(voicePage == 0 ? 1 : voicePage));
        QWidget* field = window.findChild<QWidget*>(control);
        QWidget* focus = window.focusWidget();
        QVERIFY(focus != nullptr && (focus == field || focus->parentWidget() == field));
        auto* box = window.findChild<QComboBox*>(control);
        QLineEdit* edit = box != nullptr ? box->lineEdit() : window.findChild<QLineEdit*>(control);
        QCOMPARE(edit->selectedText(), text);
    }

    // The analysis rewrites the pages as one undo step: Ctrl+Z right after
    // it brings back each page exactly as typed, skipped characters included.
    void UndoAfterAnalysisRestoresTheTypedText()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        const QString typed = QStringLiteral("ミXYZ４ファ（abc）ソ［］ラ（４\nド▲▲▲▲");
        window.VoiceMemo(1)->setPlainText(QString());
        QTest::keyClicks(window.VoiceMemo(1), QStringLiteral("ab"));
        window.VoiceMemo(1)->selectAll();
        window.VoiceMemo(1)->insertPlainText(typed);
        window.VoiceMemo(2)->setPlainText(QStringLiteral("ド ド"));
        window.mnMakeMldClick();
        QCOMPARE(window.VoiceMemo(1)->toPlainText(), QStringLiteral("ミ４ファ４ソ４ラ４ド▲▲▲４"));
        window.VoiceMemo(1)->undo();
        QCOMPARE(window.VoiceMemo(1)->toPlainText(), typed);
        window.VoiceMemo(2)->undo();
        QCOMPARE(window.VoiceMemo(2)->toPlainText(), QStringLiteral("ド ド"));
    }

    void FileInfoDialog()
    {
        WindowFixture fixture;
        fixture.window.FileInfo().copyright = "c";
        fixture.window.SetEditState(EditState::Saved);
        fixture.window.mnInfoClick();  // cancelled
        QCOMPARE(fixture.window.State(), EditState::Saved);
        QCOMPARE(fixture.dialogs.shownFileInfo.copyright, std::string("c"));

        fixture.dialogs.fileInfoAccept = true;
        fixture.dialogs.fileInfoEdit = [](MelodyFileInfo& info) {
            info.copyright = "(C) x";
            info.sorc = true;
        };
        fixture.window.mnInfoClick();
        QCOMPARE(fixture.window.FileInfo().copyright, std::string("(C) x"));
        QVERIFY(fixture.window.FileInfo().sorc);
        QCOMPARE(fixture.window.FileInfo().version, std::string("0100"));
        QCOMPARE(fixture.window.State(), EditState::SettingsEdited);
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
        QCOMPARE(fixture.window.State(), EditState::SettingsEdited);
    }

    void MailRoundTrip()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.findChild<QLineEdit*>("EditTitle")->setText(QStringLiteral("メール"));
        window.VoiceMemo(2)->setPlainText(QStringLiteral("ソ８ラ８"));
        window.mnMakeMldClick();
        const std::string image = fixture.store.MelodyImage();
        window.mnCreateMailClick();

        QVERIFY(fixture.clipboard.text.has_value());
        const std::string mail = *fixture.clipboard.text;
        QVERIFY(mail.starts_with("--B:M\r\n"));
        QCOMPARE(fixture.boxes.Texts(Kind::Information).last(),
                 QStringLiteral("メールサイズは %1 バイトです").arg(mail.size()));
        QCOMPARE(window.State(), EditState::Current);

        window.mnNewClick();  // Current: asks, answered Yes
        window.mnGetMailClick();
        QCOMPARE(fixture.store.MelodyImage(), image);
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("メール"));
        QVERIFY(window.VoiceMemo(2)->toPlainText().startsWith(QStringLiteral("ソ８ラ８")));
        QVERIFY(!window.findChild<QAction*>("mnSave1")->isEnabled());
        QCOMPARE(window.State(), EditState::Current);
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
        fixture.window.VoiceMemo(1)->setPlainText("ド");
        fixture.window.SetEditState(EditState::Saved);
        fixture.window.mnGetMailClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList{Msgs(Msg::DataFormatAbnormal)});
        QCOMPARE(fixture.window.VoiceMemo(1)->toPlainText(), QStringLiteral("ド"));
        QCOMPARE(fixture.window.State(), EditState::Saved);
    }

    void ExportWritesEditorTexts()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.VoiceMemo(1)->setPlainText(QStringLiteral("ドレミ\nファソ"));
        window.VoiceTone(2)->setEditText("5");
        window.FileInfo().date = "20240101";
        window.SetEditState(EditState::Saved);
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.TML")};
        window.mnExportClick();

        QCOMPARE(fixture.fileDialogs.saveCalls.value(0).defaultSuffix, QStringLiteral("tml"));
        QVERIFY(fixture.fileDialogs.saveCalls.value(0).initialFile.isEmpty());
        const std::string written = FileBytes(fixture.PathOf("song.TML"));
        QCOMPARE(written, MelodyTextBytes(window.CollectEditorTexts(), window.FileInfo()));
        QVERIFY(written.find(Sjis(QStringLiteral("$1\r\n-1 - ピアノ\r\n-63\r\nドレミ\r\nファソ\r\n"))) !=
                std::string::npos);
        QVERIFY(written.find("$2\r\n-5\r\n") != std::string::npos);
        QCOMPARE(window.State(), EditState::Saved);
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
        fixture.window.mnMeloPClick();
        fixture.window.mnMeloMClick();
        QCOMPARE(fixture.boxes.Texts(Kind::Warning), QStringList(2, Msgs(Msg::NotSupported)));
        fixture.window.mnContentsClick();
        QCOMPARE(fixture.help.shown, QStringList{fixture.folder.path() + "/help/index.html"});
        fixture.window.mnAbout1Click();
        fixture.window.mnOptionClick();
        QCOMPARE(fixture.dialogs.aboutCalls, 1);
        QCOMPARE(fixture.dialogs.setupCalls, 1);
        QCOMPARE(fixture.window.State(), EditState::Empty);
    }

    void MenuItemsReachCommands()
    {
        WindowFixture fixture;
        fixture.window.findChild<QAction*>("mnMeloP")->trigger();
        fixture.window.findChild<QAction*>("mnContents")->trigger();
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 1);
        QCOMPARE(fixture.help.shown.size(), 1);
        QVERIFY(fixture.window.findChild<QAction*>("mnGetMidi")->isEnabled());
    }
};

QTEST_MAIN(EditCommandsTest)
#include "EditCommandsTest.moc"
