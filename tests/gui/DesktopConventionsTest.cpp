// The window behaves as desktop programs do: the platform's standard keys,
// the file name and an unsaved mark in the title bar, Qt's own dialogs in
// Japanese, and labelled fields.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDate>
#include <QLocale>
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/QtTranslations.h"

using namespace quaverly;

class DesktopConventionsTest : public QObject {
    Q_OBJECT

private slots:
    void CommandsHaveTheirKeys_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QKeySequence>("keys");
        // The platform's key where it has one, else the common desktops' key.
        auto standard = [](QKeySequence::StandardKey key, QKeySequence fallback) {
            const QList<QKeySequence> platform = QKeySequence::keyBindings(key);
            return platform.isEmpty() ? fallback : platform.first();
        };
        QTest::newRow("new") << "mnNew" << standard(QKeySequence::New, QKeySequence("Ctrl+N"));
        QTest::newRow("open") << "mnOpen1" << standard(QKeySequence::Open, QKeySequence("Ctrl+O"));
        QTest::newRow("save") << "mnSave1" << standard(QKeySequence::Save, QKeySequence("Ctrl+S"));
        QTest::newRow("save as") << "mnSaveAs1" << standard(QKeySequence::SaveAs, QKeySequence("Ctrl+Shift+S"));
        QTest::newRow("quit") << "mnExit1" << standard(QKeySequence::Quit, QKeySequence("Ctrl+Q"));
        QTest::newRow("help") << "mnContents" << standard(QKeySequence::HelpContents, QKeySequence("F1"));
        QTest::newRow("analysis") << "mnMakeMld" << QKeySequence(Qt::Key_F9);
        QTest::newRow("play") << "mnPlay" << QKeySequence(Qt::Key_F5);
        QTest::newRow("midi export") << "mnPutMidi" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M);
    }
    // Pressing the key in the window runs its command once.
    void CommandsHaveTheirKeys()
    {
        QFETCH(QString, action);
        QFETCH(QKeySequence, keys);
        WindowFixture fixture;
        QVERIFY(!keys.isEmpty());
        fixture.window.show();
        QApplication::setActiveWindow(&fixture.window);
        QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
        QAction* command = fixture.window.findChild<QAction*>(action);
        command->setEnabled(true);  // Save waits for something to save
        QSignalSpy triggered(command, &QAction::triggered);
        QTest::keySequence(&fixture.window, keys);
        QCOMPARE(triggered.count(), 1);
    }

    // No two commands share a key: a shared one would run neither.
    void KeysAreUnambiguous()
    {
        WindowFixture fixture;
        QSet<QKeySequence> seen;
        for (QAction* action : fixture.window.findChildren<QAction*>()) {
            for (const QKeySequence& key : action->shortcuts()) {
                QVERIFY2(!seen.contains(key), qPrintable(key.toString()));
                seen.insert(key);
            }
        }
    }

    void TitleShowsFileAndUnsavedMark()
    {
        WindowFixture fixture;
        QCOMPARE(fixture.window.windowTitle(), QStringLiteral("無題[*] - Quaverly"));
        fixture.dialogs.mldSelectAnswer = fixture.WriteFile("kaeru.mld", CompiledMelody("ド", "Kaeru"));
        fixture.window.mnOpen1Click();
        QCOMPARE(fixture.window.windowTitle(), QStringLiteral("kaeru.mld[*] - Quaverly"));
        QCOMPARE(fixture.window.windowFilePath(), fixture.PathOf("kaeru.mld"));
        QVERIFY(!fixture.window.isWindowModified());
        fixture.window.Pages().Memo(1)->setPlainText("レ");
        QVERIFY(fixture.window.isWindowModified());
        fixture.window.mnMakeMldClick();
        fixture.window.mnSave1Click();
        QVERIFY(!fixture.window.isWindowModified());
        fixture.window.mnNewClick();
        QCOMPARE(fixture.window.windowTitle(), QStringLiteral("無題[*] - Quaverly"));
    }

    void FieldsAboveThePagesAreLabelled()
    {
        WindowFixture fixture;
        auto* tempo = fixture.window.findChild<QComboBox*>("ComboBoxTempo");
        auto* title = fixture.window.findChild<QLineEdit*>("EditTitle");
        QVERIFY(!tempo->toolTip().isEmpty());
        QVERIFY(!tempo->lineEdit()->placeholderText().isEmpty());
        QVERIFY(!title->toolTip().isEmpty());
        QVERIFY(!title->placeholderText().isEmpty());
    }

    void QtDialogsSpeakJapanese()
    {
        QVERIFY2(InstallQtTranslations(*QCoreApplication::instance()),
                 "qtbase_ja is missing: scripts/install-deps.sh installs qt6-translations-l10n");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
        // The file dialogs' sizes and dates come from the system locale, which
        // stayed English ("20 bytes", "8 Dec") under another user locale.
        QVERIFY2(QLocale::system().formattedDataSize(20).contains(QStringLiteral("バイト")),
                 qPrintable(QLocale::system().formattedDataSize(20)));
        QCOMPARE(QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat), QStringLiteral("2026/12/08"));
    }
};

// As the program does: the application made with a Japanese system locale.
int main(int argc, char** argv)
{
    const LocaleEnvironment userLocale = UseJapaneseSystemLocale();
    QApplication application(argc, argv);
    RestoreLocaleEnvironment(userLocale);
    QTEST_DISABLE_KEYPAD_NAVIGATION
    DesktopConventionsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "DesktopConventionsTest.moc"
