// Score keyboard input: letter keys typed into a voice page become note
// names, the rest and the octave marks; everything else is typed as it is.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QtTest>

#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;

class KeyInputTest : public QObject {
    Q_OBJECT

private slots:
    void MapsLetters_data()
    {
        QTest::addColumn<int>("voice");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("notes and digits") << 1 << "c4d8"
                                          << "ド4レ8";
        QTest::newRow("fa is two characters") << 2 << "F"
                                              << "ファ";
        QTest::newRow("every letter") << 3 << "cdefgabhowq"
                                      << "ドレミファソラシシ●▲▼";
        QTest::newRow("upper case") << 4 << "CDEGABHOWQ"
                                    << "ドレミソラシシ●▲▼";
        QTest::newRow("unmapped kept") << 1 << "xR#1 "
                                       << "xR#1 ";
    }
    void MapsLetters()
    {
        QFETCH(int, voice);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        WindowFixture fixture;
        QPlainTextEdit* memo = fixture.window.Pages().Memo(voice);
        QTest::keyClicks(memo, typed);
        QCOMPARE(memo->toPlainText(), expected);
        QCOMPARE(fixture.window.Document().State(), EditState::ScoreEdited);
    }

    void ReplacesSelection()
    {
        WindowFixture fixture;
        QPlainTextEdit* memo = fixture.window.Pages().Memo(1);
        memo->setPlainText(QStringLiteral("ドレミ"));
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        memo->setTextCursor(cursor);
        QTest::keyClick(memo, Qt::Key_A);
        QCOMPARE(memo->toPlainText(), QStringLiteral("ドラミ"));
        QTest::keyClick(memo, Qt::Key_G);
        QCOMPARE(memo->toPlainText(), QStringLiteral("ドラソミ"));
    }

    void CommandKeysAreNotMapped()
    {
        WindowFixture fixture;
        QPlainTextEdit* memo = fixture.window.Pages().Memo(1);
        memo->setPlainText(QStringLiteral("ab"));
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);  // select all
        QCOMPARE(memo->toPlainText(), QStringLiteral("ab"));
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("ab"));
    }

    void OffWithExtendedNotation()
    {
        WindowFixture fixture;
        fixture.window.StartUp({"/D"});
        QTest::keyClicks(fixture.window.Pages().Memo(1), "c0aF");
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("c0aF"));
    }

    void OnlyVoicePagesAreMapped()
    {
        WindowFixture fixture;
        auto* title = fixture.window.findChild<QLineEdit*>("EditTitle");
        QTest::keyClicks(title, "cde");
        QCOMPARE(title->text(), QStringLiteral("cde"));
    }
};

QTEST_MAIN(KeyInputTest)
#include "KeyInputTest.moc"
