// What a desktop user expects of the window: Ctrl+S on a document bound to
// no file, the recent-files list, the Edit menu's text commands and its
// find and replace, the keys of the scale shift, the voice switches'
// mnemonics, the /D sign and the focus after another page is shown.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "UnitMain/EditMenu.h"
#include "UnitMain/RecentFiles.h"
#include "UnitMain/TFindReplaceDlg.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

void ShowActive(TFormMain& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

QStringList RecentList(const WindowFixture& fixture)
{
    return fixture.settings.values.value(QString::fromLatin1(RecentFiles::SettingsKey)).toStringList();
}

QAction* Item(const TFormMain& window, const char* name)
{
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

}  // namespace

class DesktopMenusTest : public QObject {
    Q_OBJECT

private slots:
    // Save is disabled on a new document; its key used to do nothing there.
    void SaveKeyOnUnboundDocumentRunsSaveAs()
    {
        WindowFixture fixture;
        ShowActive(fixture.window);
        fixture.window.Pages().Memo(1)->setPlainText("ドレミ");
        const QString target = fixture.PathOf("new.mld");
        fixture.fileDialogs.saveAnswers.append(target);
        QTest::keySequence(&fixture.window, QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        QVERIFY(QFile::exists(target));
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), target);
        // Bound now: the same key saves over the file without a dialog.
        fixture.window.Pages().Memo(1)->setPlainText("ドレミファ");
        QTest::keySequence(&fixture.window, QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Saved);
    }

    void OpenedAndSavedFilesAreListedNewestFirst()
    {
        WindowFixture fixture;
        const QString first = fixture.WriteFile("kaeru.mld", CompiledMelody("ド", "Kaeru"));
        const QString second = fixture.WriteFile("furusato.mld", CompiledMelody("レ", "Furusato"));
        fixture.dialogs.mldSelectAnswer = first;
        fixture.window.mnOpen1Click();
        fixture.dialogs.mldSelectAnswer = second;
        fixture.window.mnOpen1Click();
        QCOMPARE(RecentList(fixture), (QStringList{second, first}));
        const QString saved = fixture.PathOf("copy.mld");
        fixture.fileDialogs.saveAnswers.append(saved);
        fixture.window.mnSaveAs1Click();
        QCOMPARE(RecentList(fixture), (QStringList{saved, second, first}));
    }

    void RecentItemOpensItsFile()
    {
        WindowFixture fixture;
        const QString path = fixture.WriteFile("kaeru.mld", CompiledMelody("ドレ", "Kaeru"));
        fixture.settings.values.insert(QString::fromLatin1(RecentFiles::SettingsKey), QStringList{path});
        auto* menu = fixture.window.findChild<QMenu*>("mnRecentFiles");
        QVERIFY(menu != nullptr);
        emit menu->aboutToShow();
        QAction* item = Item(fixture.window, "mnRecentFile1");
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("&1 kaeru.mld"));
        item->trigger();
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), path);
        QCOMPARE(fixture.window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Kaeru"));
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    void MissingFilesArePruned()
    {
        WindowFixture fixture;
        const QString kept = fixture.WriteFile("kept.mld", CompiledMelody("ド"));
        const QString gone = fixture.WriteFile("gone.mld", CompiledMelody("ド"));
        fixture.settings.values.insert(QString::fromLatin1(RecentFiles::SettingsKey), QStringList{gone, kept});
        auto* menu = fixture.window.findChild<QMenu*>("mnRecentFiles");
        emit menu->aboutToShow();
        QAction* goneItem = Item(fixture.window, "mnRecentFile1");
        QVERIFY(QFile::remove(gone));
        // Chosen after it vanished: said, dropped, and the document untouched.
        goneItem->trigger();
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 1);
        QVERIFY(fixture.boxes.Texts(Kind::Warning).first().contains(gone));
        QCOMPARE(RecentList(fixture), QStringList{kept});
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        // Shown again: only what exists.
        emit menu->aboutToShow();
        QCOMPARE(Item(fixture.window, "mnRecentFile1")->text(), QStringLiteral("&1 kept.mld"));
        QVERIFY(Item(fixture.window, "mnRecentFile2") == nullptr);
    }

    void ListThatCannotBeStoredLeavesTheOpenAlone()
    {
        WindowFixture fixture;
        fixture.settings.failSaves = true;
        fixture.dialogs.mldSelectAnswer = fixture.WriteFile("kaeru.mld", CompiledMelody("ド"));
        fixture.window.mnOpen1Click();
        QCOMPARE(fixture.boxes.Count(Kind::Error), 0);
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    void EditItemsActOnThePageShown()
    {
        WindowFixture fixture;
        ShowActive(fixture.window);
        auto* pages = fixture.window.findChild<QTabWidget*>("PageControl1");
        pages->setCurrentIndex(1);
        QPlainTextEdit* page = fixture.window.Pages().Memo(2);
        page->setFocus();
        QTest::keyClicks(page, "c");  // ド
        QCOMPARE(page->toPlainText(), QStringLiteral("ド"));
        // The focus on the tab bar: the menu's items still reach the page.
        pages->tabBar()->setFocus();
        Item(fixture.window, "mnUndo")->trigger();
        QCOMPARE(page->toPlainText(), QString());
        QTest::keySequence(&fixture.window, QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(page->toPlainText(), QStringLiteral("ド"));
        page->selectAll();
        Item(fixture.window, "mnCut")->trigger();
        QCOMPARE(page->toPlainText(), QString());
        Item(fixture.window, "mnPaste")->trigger();
        Item(fixture.window, "mnPaste")->trigger();
        QCOMPARE(page->toPlainText(), QStringLiteral("ドド"));
        QVERIFY(fixture.window.Pages().Memo(1)->toPlainText().isEmpty());
    }

    void EditItemsFollowWhatCanBeDone()
    {
        WindowFixture fixture;
        ShowActive(fixture.window);
        fixture.window.Pages().Memo(1)->setFocus();
        QVERIFY(!Item(fixture.window, "mnUndo")->isEnabled());
        QVERIFY(!Item(fixture.window, "mnCopy")->isEnabled());
        QTest::keyClicks(fixture.window.Pages().Memo(1), "d");
        QVERIFY(Item(fixture.window, "mnUndo")->isEnabled());
        // The sequence page holds no text to edit.
        fixture.window.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(4);
        QVERIFY(!Item(fixture.window, "mnPaste")->isEnabled());
        QVERIFY(!Item(fixture.window, "mnFindReplace")->isEnabled());
    }

    void FindAndReplaceInThePageShown()
    {
        WindowFixture fixture;
        QPlainTextEdit* page = fixture.window.Pages().Memo(1);
        page->setPlainText("ドレミ\nドレミ");
        auto* dialog = fixture.window.findChild<TFindReplaceDlg*>();
        QVERIFY(dialog != nullptr);
        dialog->FindText()->setText("レ");
        QVERIFY(dialog->FindNext());
        QCOMPARE(page->textCursor().selectedText(), QStringLiteral("レ"));
        dialog->ReplaceText()->setText("ファ");
        QCOMPARE(dialog->ReplaceAll(), 2);
        QCOMPARE(page->toPlainText(), QStringLiteral("ドファミ\nドファミ"));
        // One step back brings both.
        page->undo();
        QCOMPARE(page->toPlainText(), QStringLiteral("ドレミ\nドレミ"));
        dialog->FindText()->setText("ソ");
        QVERIFY(!dialog->FindNext());
        QVERIFY(dialog->findChild<QLabel*>("LabelFindResult")->text().contains("ソ"));
    }

    void ScaleShiftHasItsKeysInThePage()
    {
        WindowFixture fixture;
        ShowActive(fixture.window);
        QPlainTextEdit* page = fixture.window.Pages().Memo(1);
        page->setPlainText("ド");
        page->setFocus();
        QTest::keySequence(&fixture.window, Item(fixture.window, "mnMeloP")->shortcut());
        QCOMPARE(page->toPlainText(), QStringLiteral("ド＃４"));
        QTest::keySequence(&fixture.window, Item(fixture.window, "mnMeloM")->shortcut());
        QVERIFY(!page->toPlainText().contains(QStringLiteral("＃")));
    }

    // Two items of a menu with one letter: the letter opens neither (the
    // Edit menu's 切り取り(&T) took 編集用に取り込む's key).
    void MnemonicsAreUniqueInEachMenu()
    {
        WindowFixture fixture;
        for (const QMenu* menu : fixture.window.findChildren<QMenu*>()) {
            QSet<QChar> seen;
            for (const QAction* action : menu->actions()) {
                const QString text = action->text();
                const qsizetype at = text.indexOf(QLatin1Char('&'));
                if (at < 0 || at + 1 >= text.size() || text[at + 1] == QLatin1Char('&')) {
                    continue;
                }
                const QChar letter = text[at + 1].toUpper();
                QVERIFY2(!seen.contains(letter), qPrintable(menu->title() + ": " + text));
                seen.insert(letter);
            }
        }
    }

    void VoiceSwitchesAndRepeatHaveMnemonics()
    {
        WindowFixture fixture;
        for (int voice = 1; voice <= 4; ++voice) {
            const QString text = fixture.window.Pages().PlayItem(voice)->text();
            QVERIFY2(text.endsWith(QStringLiteral("(&%1)").arg(voice)), qPrintable(text));
        }
        QVERIFY(Item(fixture.window, "mnRepeatPlay")->text().startsWith(QStringLiteral("リピート再生(&")));
    }

    void ExtendedNotationShowsASign()
    {
        WindowFixture plain;
        plain.window.StartUp({});
        plain.window.show();
        QVERIFY(!plain.window.findChild<QLabel*>("LabelExtendedNotation")->isVisible());
        WindowFixture extended;
        extended.window.StartUp({"/D"});
        extended.window.show();
        QVERIFY(extended.window.findChild<QLabel*>("LabelExtendedNotation")->isVisible());
    }

    // The proportional font drew 「４」 as narrow as 「4」.
    void PagesTellFullWidthFromHalfWidthDigits()
    {
        WindowFixture fixture;
        const QFontMetrics metrics(fixture.window.Pages().Memo(1)->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("４")), 2 * metrics.horizontalAdvance(QStringLiteral("4")));
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ド")), 2 * metrics.horizontalAdvance(QStringLiteral("1")));
    }

    // The legend's button turned solo on and played nothing.
    void LegendButtonPlaysItsVoiceAlone()
    {
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText("ド");
        fixture.window.Pages().Memo(2)->setPlainText("レ");
        fixture.window.mnMakeMldClick();
        fixture.player.calls.clear();
        auto* button = fixture.window.findChild<QToolButton*>("RollSolo2");
        button->click();
        QCOMPARE(WindowAccess::SoloVoice(fixture.window), 2);
        QVERIFY2(fixture.player.calls.contains("Play"), qPrintable(fixture.player.calls.join(", ")));
        // Pressed again while it plays: solo off and the play stops.
        button->click();
        QCOMPARE(WindowAccess::SoloVoice(fixture.window), 0);
        QVERIFY(fixture.player.calls.contains("Stop"));
    }

    // At QT_SCALE_FACTOR=2 on a 1080-pixel screen the first window reached
    // below the screen; the offscreen screen here is smaller than the
    // window's natural size in the same way.
    void FirstSizeFitsTheScreen()
    {
        WindowFixture fixture;
        const QRect room = fixture.window.screen()->availableGeometry();
        QVERIFY2(room.contains(QRect(fixture.window.pos(), fixture.window.size())),
                 qPrintable(QStringLiteral("%1x%2 at %3,%4 in %5x%6").arg(fixture.window.width()).arg(fixture.window.height())
                                .arg(fixture.window.x()).arg(fixture.window.y()).arg(room.width()).arg(room.height())));
        QVERIFY(fixture.window.minimumWidth() <= room.width() && fixture.window.minimumHeight() <= room.height());
    }

    // Ctrl+Tab used to leave the focus in the new page's tone box, where a
    // paste then landed.
    void NextPageTakesTheFocusInItsText()
    {
        WindowFixture fixture;
        ShowActive(fixture.window);
        fixture.window.Pages().Memo(1)->setFocus();
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_Tab));
        QCOMPARE(fixture.window.findChild<QTabWidget*>("PageControl1")->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), fixture.window.Pages().Memo(2));
    }
};

QTEST_MAIN(DesktopMenusTest)
#include "DesktopMenusTest.moc"
