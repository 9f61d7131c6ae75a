// The MLD file browser: which files it lists, the progress texts, the column
// sizing, an error that ends a listing, the tree's space key and double-click,
// and the OK and Cancel buttons.
#include <sys/stat.h>

#include <QDir>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "DialogTestSupport.h"
#include "ScriptedMessageBoxes.h"
#include "base/Errors.h"
#include "../core/MfiWriter.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMldSel/MelodyFolderListing.h"
#include "UnitMldSel/TFormMldSelect.h"

using namespace quaverly;
using quaverly::test::MelodyWithTitle;
using quaverly::test::Sjis;
using quaverly::test::WriteBytes;

namespace {

QString ListText(QTreeWidget* list, int row, int column)
{
    return list->topLevelItem(row)->text(column);
}

}  // namespace

class MldSelectTest : public QObject {
    Q_OBJECT

private:
    // Three melody files (one lower-case, one upper-case, one hidden) beside
    // a longer extension, a folder named like a melody file and a text file.
    void MakeMelodyFolder(const QString& folder)
    {
        QVERIFY(WriteBytes(folder + "/song.mld", MelodyWithTitle(Sjis(u"ふるさと"_qs))));
        QVERIFY(WriteBytes(folder + "/ANTHEM.MLD", MelodyWithTitle("Anthem")));
        QVERIFY(WriteBytes(folder + "/.hidden.Mld", MelodyWithTitle("")));
        QVERIFY(WriteBytes(folder + "/extra.mldx", MelodyWithTitle("no")));
        QVERIFY(WriteBytes(folder + "/notes.txt", "text"));
        QVERIFY(QDir(folder).mkdir("folder.mld"));
    }

    QTreeWidget* List(TFormMldSelect& dialog) { return dialog.findChild<QTreeWidget*>("ListView1"); }
    QString Progress(TFormMldSelect& dialog) { return dialog.findChild<QLabel*>("Label1")->text(); }

private slots:
    void listsMelodyFilesSortedWithTitlesAndDates()
    {
        QTemporaryDir folder;
        MakeMelodyFolder(folder.path());
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        dialog.SetCurrentFolder(folder.path());
        dialog.ListFolder();

        QTreeWidget* list = List(dialog);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(ListText(list, 0, 0), ".hidden.Mld");
        QCOMPARE(ListText(list, 1, 0), "ANTHEM.MLD");
        QCOMPARE(ListText(list, 2, 0), "song.mld");
        QCOMPARE(ListText(list, 0, 1), QString());
        QCOMPARE(ListText(list, 1, 1), "Anthem");
        QCOMPARE(ListText(list, 2, 1), u"ふるさと"_qs);
        QRegularExpression date(R"(^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d$)");
        QVERIFY2(date.match(ListText(list, 2, 2)).hasMatch(), qPrintable(ListText(list, 2, 2)));
        QCOMPARE(Progress(dialog), u"読みとり終了(3/3)"_qs);
        QCOMPARE(boxes.records.size(), 0);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // Melody files of other makers are listed by their titles too, whichever
    // way their header length is counted.
    void listsTitlesOfOtherMakersMelodies()
    {
        QTemporaryDir folder;
        using quaverly::mfitest::MfiWriter;
        const std::string track = quaverly::mfitest::Note(0, 0, 27, 48, 63) + quaverly::mfitest::End(48);
        QVERIFY(WriteBytes(folder.path() + "/game.mld",
                           MfiWriter().Info("vers", "0300").Info("titl", "Game").FourByteNotes().Track(track).Bytes()));
        QVERIFY(WriteBytes(folder.path() + "/site.mld", MfiWriter()
                                                            .Info("titl", Sjis(u"着信"_qs))
                                                            .Info("copy", "(c)")
                                                            .FourByteNotes()
                                                            .Track(track)
                                                            .Track(track)
                                                            .Length(MfiWriter::HeaderLength::CountOnlyTypeBytes)
                                                            .Bytes()));
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        dialog.SetCurrentFolder(folder.path());
        dialog.ListFolder();
        QTreeWidget* list = List(dialog);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(ListText(list, 0, 1), "Game");
        QCOMPARE(ListText(list, 1, 1), u"着信"_qs);
        QCOMPARE(boxes.records.size(), 0);
    }

    void showsReadingProgressBeforeEachFile()
    {
        QTemporaryDir folder;
        MakeMelodyFolder(folder.path());
        ScriptedMessageBoxes boxes;
        QStringList seen;
        TFormMldSelect* dialogPointer = nullptr;
        TFormMldSelect dialog(boxes, nullptr, [&](const std::string& path) {
            seen.append(Progress(*dialogPointer));
            return ReadMelodyTitle(path);
        });
        dialogPointer = &dialog;
        dialog.SetCurrentFolder(folder.path() + "/");
        dialog.ListFolder();
        QCOMPARE(seen, (QStringList{u"読みとり中(0/3)"_qs, u"読みとり中(1/3)"_qs, u"読みとり中(2/3)"_qs}));
        QCOMPARE(Progress(dialog), u"読みとり終了(3/3)"_qs);
    }

    void folderWithoutMelodiesGivesEmptyList_data()
    {
        QTest::addColumn<QString>("subfolder");
        QTest::newRow("empty folder") << "empty";
        QTest::newRow("missing folder") << "missing";
    }

    void folderWithoutMelodiesGivesEmptyList()
    {
        QFETCH(QString, subfolder);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("empty"));
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        dialog.SetCurrentFolder(folder.path() + "/" + subfolder);
        dialog.ListFolder();
        QCOMPARE(List(dialog)->topLevelItemCount(), 0);
        QCOMPARE(Progress(dialog), u"読みとり終了(0/0)"_qs);
        QCOMPARE(boxes.records.size(), 0);
    }

    void columnsFitTheirWidestText()
    {
        QTemporaryDir folder;
        const QString longTitle = u"とても長いタイトルの曲　とても長いタイトルの曲"_qs;
        QVERIFY(WriteBytes(folder.path() + "/a.mld", MelodyWithTitle(Sjis(longTitle))));
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        dialog.SetCurrentFolder(folder.path());
        dialog.ListFolder();
        QTreeWidget* list = List(dialog);
        QFontMetrics metrics(list->font());
        // The header caption is wider than the name "a.mld".
        QCOMPARE(list->columnWidth(0), metrics.horizontalAdvance(u"ファイル名"_qs) + 16);
        QCOMPARE(list->columnWidth(1), metrics.horizontalAdvance(longTitle) + 16);
        QCOMPARE(list->columnWidth(2), metrics.horizontalAdvance(ListText(list, 0, 2)) + 16);
    }

    void unreadableTitleEndsListingKeepingRowsSoFar()
    {
        QTemporaryDir folder;
        MakeMelodyFolder(folder.path());
        ScriptedMessageBoxes boxes;
        int calls = 0;
        TFormMldSelect dialog(boxes, nullptr, [&](const std::string& path) -> std::string {
            if (++calls == 2) {
                throw FileError(Sjis(u"ファイルを読み込めません："_qs), path, 5);
            }
            return "ok";
        });
        dialog.SetCurrentFolder(folder.path());
        dialog.ListFolder();
        QCOMPARE(List(dialog)->topLevelItemCount(), 1);
        QCOMPARE(Progress(dialog), u"読みとり中(1/3)"_qs);
        QCOMPARE(boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
        QVERIFY(boxes.Texts(ScriptedMessageBoxes::Kind::Error).first().contains(u"ファイルを読み込めません"_qs));
        QVERIFY(List(dialog)->columnWidth(1) > 0);
        QVERIFY(List(dialog)->updatesEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void fifoNamedLikeMelodyDoesNotHangListing()
    {
        QTemporaryDir folder;
        QVERIFY(WriteBytes(folder.path() + "/real.mld", MelodyWithTitle("Real")));
        QCOMPARE(::mkfifo(QFile::encodeName(folder.path() + "/pipe.mld").constData(), 0600), 0);
        QVERIFY(QFile::link(folder.path() + "/nowhere", folder.path() + "/broken.mld"));
        const QList<QFileInfo> files = MelodyFiles(folder.path());
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().fileName(), "real.mld");
    }

    void isLocalFolderPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("local");
        QTest::newRow("root") << "/" << true;
        QTest::newRow("absolute folder") << "/home/user/melodies" << true;
        QTest::newRow("network share") << "//server/share" << false;
        QTest::newRow("url") << "smb://server/share" << false;
        QTest::newRow("relative") << "melodies" << false;
        QTest::newRow("empty") << "" << false;
    }

    void isLocalFolderPath()
    {
        QFETCH(QString, path);
        QFETCH(bool, local);
        QCOMPARE(TFormMldSelect::IsLocalFolderPath(path), local);
    }

    void spaceKeyListsSelectedLocalFolderAndIsSwallowed()
    {
        QTemporaryDir folder;
        MakeMelodyFolder(folder.path());
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        auto* tree = dialog.findChild<QTreeView*>("ShellTreeView1");
        dialog.SelectFolderInTree(folder.path());
        QCOMPARE(dialog.SelectedNodePath(), folder.path());

        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QVERIFY(QCoreApplication::sendEvent(tree, &space));  // taken by the dialog
        QCOMPARE(dialog.CurrentFolder(), folder.path());
        QCOMPARE(List(dialog)->topLevelItemCount(), 3);

        // On a node without a local path the key is still taken and changes nothing.
        tree->setCurrentIndex(QModelIndex());
        QCOMPARE(dialog.SelectedNodePath(), QString());
        QVERIFY(QCoreApplication::sendEvent(tree, &space));
        QCOMPARE(dialog.CurrentFolder(), folder.path());
        QCOMPARE(List(dialog)->topLevelItemCount(), 3);
        QCOMPARE(Progress(dialog), u"読みとり終了(3/3)"_qs);
    }

    // Created at start-up, the browser reads no folders until it is first shown.
    void folderTreeStartsAtFirstShowing()
    {
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        QCOMPARE(dialog.findChild<QFileSystemModel*>(), nullptr);
        QCOMPARE(dialog.SelectedNodePath(), QString());
        dialog.show();
        QVERIFY(dialog.findChild<QFileSystemModel*>() != nullptr);
        QCOMPARE(dialog.SelectedNodePath(), QDir::homePath());

        // A folder selected before the first showing stays selected.
        QTemporaryDir folder;
        TFormMldSelect selected(boxes);
        selected.SelectFolderInTree(folder.path());
        selected.show();
        QCOMPARE(selected.SelectedNodePath(), folder.path());
    }

    void doubleClickOnTreeListsFolder()
    {
        QTemporaryDir folder;
        MakeMelodyFolder(folder.path());
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        auto* tree = dialog.findChild<QTreeView*>("ShellTreeView1");
        dialog.SelectFolderInTree(folder.path());
        emit tree->doubleClicked(tree->currentIndex());
        QCOMPARE(dialog.CurrentFolder(), folder.path());
        QCOMPARE(List(dialog)->topLevelItemCount(), 3);

        // A node without a path changes neither the folder nor the list.
        emit tree->doubleClicked(QModelIndex());
        QCOMPARE(dialog.CurrentFolder(), folder.path());
        QCOMPARE(List(dialog)->topLevelItemCount(), 3);
    }

    void okNeedsSelectedRowAndReopeningKeepsList()
    {
        QTemporaryDir folder;
        MakeMelodyFolder(folder.path());
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        dialog.SetCurrentFolder(folder.path());
        dialog.ListFolder();
        dialog.open();
        auto* ok = dialog.findChild<QPushButton*>("ButtonOK");

        ok->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes.records.size(), 0);
        QCOMPARE(dialog.SelectedFileName(), QString());

        QTreeWidget* list = List(dialog);
        list->setCurrentItem(list->topLevelItem(1));
        ok->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.SelectedFileName(), folder.path() + "/ANTHEM.MLD");

        // Shown again: same folder, same rows, same selection; Cancel keeps the name.
        dialog.open();
        QCOMPARE(dialog.CurrentFolder(), folder.path());
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->selectedItems().value(0)->text(0), "ANTHEM.MLD");
        dialog.findChild<QPushButton*>("ButtonCancel")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.SelectedFileName(), folder.path() + "/ANTHEM.MLD");
    }
};

QTEST_MAIN(MldSelectTest)
#include "MldSelectTest.moc"
