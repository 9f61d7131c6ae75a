// The ringtone-book dialog: listing a book, the melody texts of the chosen
// rows in list order (at most four), OK without a choice, and books that
// cannot be read whole.
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "DialogTestSupport.h"
#include "InKtlSrc/TInKtlink.h"
#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "app/AppDialogs.h"

using namespace quaverly;
using quaverly::test::BookSong;
using quaverly::test::RingtoneBookBytes;
using quaverly::test::Sjis;
using quaverly::test::WhenModal;
using quaverly::test::WriteBytes;

namespace {

std::vector<BookSong> FiveSongs()
{
    std::vector<BookSong> songs;
    for (int i = 1; i <= 5; ++i) {
        songs.push_back({Sjis(u"曲%1"_qs.arg(i)), Sjis(u"歌手%1"_qs.arg(i)), Sjis(u"ドレミ%1"_qs.arg(i))});
    }
    return songs;
}

std::vector<std::string> Melodies(std::initializer_list<int> numbers)
{
    std::vector<std::string> melodies;
    for (int number : numbers) {
        melodies.push_back(Sjis(u"ドレミ%1"_qs.arg(number)));
    }
    return melodies;
}

}  // namespace

class InKtlinkTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_bookPath;

    QTreeWidget* List(QWidget& dialog) { return dialog.findChild<QTreeWidget*>("ListView1"); }

private slots:
    void initTestCase()
    {
        m_bookPath = m_folder.filePath(u"着メロ帳.ktm"_qs);
        QVERIFY(WriteBytes(m_bookPath, RingtoneBookBytes(FiveSongs())));
    }

    void listsSongsWithArtistAndMelody()
    {
        ScriptedMessageBoxes boxes;
        TInKtlink dialog(boxes);
        dialog.ReadKtl(m_bookPath);
        QCOMPARE(dialog.findChild<QLabel*>("StaticText1")->text(), m_bookPath);
        QTreeWidget* list = List(dialog);
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(list->topLevelItem(0)->text(0), u"曲1"_qs);
        QCOMPARE(list->topLevelItem(4)->text(1), u"歌手5"_qs);
        QCOMPARE(list->topLevelItem(2)->text(2), u"ドレミ3"_qs);
        QCOMPARE(boxes.records.size(), 0);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void okGivesSelectedMelodiesInListOrder_data()
    {
        QTest::addColumn<QList<int>>("selectedRows");
        QTest::addColumn<std::vector<std::string>>("melodies");
        QTest::newRow("second and fourth") << QList<int>{3, 1} << Melodies({2, 4});
        QTest::newRow("one") << QList<int>{4} << Melodies({5});
        QTest::newRow("five rows give the first four") << QList<int>{4, 0, 2, 1, 3} << Melodies({1, 2, 3, 4});
    }

    void okGivesSelectedMelodiesInListOrder()
    {
        QFETCH(QList<int>, selectedRows);
        QFETCH(std::vector<std::string>, melodies);
        ScriptedMessageBoxes boxes;
        MemorySettingsStore settings;
        AppDialogs dialogs(boxes, settings);
        WhenModal([this, selectedRows](QWidget* dialog) {
            for (int row : selectedRows) {
                List(*dialog)->topLevelItem(row)->setSelected(true);
            }
            dialog->findChild<QPushButton*>("ButtonOK")->click();
        });
        std::optional<std::vector<std::string>> chosen = dialogs.RunRingtoneBook(m_bookPath);
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, melodies);
        QCOMPARE(boxes.records.size(), 0);
    }

    void okWithoutSelectionAsksForDataAndStaysOpen()
    {
        ScriptedMessageBoxes boxes;
        TInKtlink dialog(boxes);
        dialog.ReadKtl(m_bookPath);
        dialog.open();
        dialog.findChild<QPushButton*>("ButtonOK")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes.Texts(ScriptedMessageBoxes::Kind::Warning), QStringList{u"対象データを選択してください"_qs});
        dialog.findChild<QPushButton*>("Button3")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void cancelGivesNothing()
    {
        ScriptedMessageBoxes boxes;
        MemorySettingsStore settings;
        AppDialogs dialogs(boxes, settings);
        WhenModal([this](QWidget* dialog) {
            List(*dialog)->topLevelItem(0)->setSelected(true);
            dialog->findChild<QPushButton*>("Button3")->click();
        });
        QVERIFY(!dialogs.RunRingtoneBook(m_bookPath).has_value());
    }

    void bookCutShortKeepsSongsReadSoFar()
    {
        std::string bytes = RingtoneBookBytes(FiveSongs());
        bytes.resize(bytes.size() - 5);  // inside the last record
        const QString path = m_folder.filePath("cut.ktm");
        QVERIFY(WriteBytes(path, bytes));
        ScriptedMessageBoxes boxes;
        TInKtlink dialog(boxes);
        QVERIFY(!dialog.ReadKtl(path));
        QCOMPARE(List(dialog)->topLevelItemCount(), 4);
        QCOMPARE(boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // A missing book empties the list, and through the dialogs the window is
    // not shown at all; one error names the file.
    void missingBookShowsErrorAndNoDialog()
    {
        ScriptedMessageBoxes boxes;
        TInKtlink dialog(boxes);
        dialog.ReadKtl(m_bookPath);
        dialog.ReadKtl(m_folder.filePath("missing.ktm"));
        QCOMPARE(List(dialog)->topLevelItemCount(), 0);
        QVERIFY(boxes.Texts(ScriptedMessageBoxes::Kind::Error).value(0).contains("missing.ktm"));

        MemorySettingsStore settings;
        AppDialogs dialogs(boxes, settings);
        bool shown = false;
        WhenModal([&shown](QWidget* modal) {
            shown = true;
            modal->close();
        });
        QVERIFY(!dialogs.RunRingtoneBook(m_folder.filePath("missing.ktm")).has_value());
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QCOMPARE(boxes.Count(ScriptedMessageBoxes::Kind::Error), 2);
    }

    void melodyBytesComeBackAsInTheFile()
    {
        // A lead byte without its trail byte does not convert for display,
        // but the melody handed back is the file's own bytes.
        const std::string odd("\x83h\x83\x8C\x81", 5);
        const QString path = m_folder.filePath("odd.ktm");
        QVERIFY(WriteBytes(path, RingtoneBookBytes({{"t", "a", odd}})));
        ScriptedMessageBoxes boxes;
        TInKtlink dialog(boxes);
        dialog.ReadKtl(path);
        dialog.open();
        List(dialog)->topLevelItem(0)->setSelected(true);
        dialog.findChild<QPushButton*>("ButtonOK")->click();
        QCOMPARE(dialog.SelectedMelodies(), std::vector<std::string>{odd});
    }
};

QTEST_MAIN(InKtlinkTest)
#include "InKtlinkTest.moc"
