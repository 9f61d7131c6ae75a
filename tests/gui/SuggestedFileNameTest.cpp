// The file name rules shared by Save As and the MIDI export.
#include <QtTest>

#include "UnitMain/SuggestedFileName.h"
#include "platform/SjisText.h"

using namespace quaverly;

class SuggestedFileNameTest : public QObject {
    Q_OBJECT

private slots:
    void ReplacesCharacters_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("angle brackets") << QByteArray("<x>") << QByteArray("(x)");
        QTest::newRow("to underscore") << QByteArray("\\/\",*") << QByteArray("_____");
        QTest::newRow("to exclamation") << QByteArray(":;?|") << QByteArray("!!!!");
        QTest::newRow("plain") << QByteArray("Song 1.2") << QByteArray("Song 1.2");
        // "ソ" is 83 5C: its second byte is the code of the backslash.
        QTest::newRow("katakana with 5C second byte") << QByteArray("\x83\x5C") << QByteArray("\x83\x5C");
        QTest::newRow("kanji with 7C second byte then bar") << QByteArray("\x8F\x7C|") << QByteArray("\x8F\x7C!");
        QTest::newRow("lone lead byte at the end") << QByteArray("a\x83") << QByteArray("a\x83");
        QTest::newRow("half-width kana is one byte") << QByteArray("\xB1/") << QByteArray("\xB1_");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void ReplacesCharacters()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(ReplaceFileNameCharacters(title.toStdString())), expected);
    }

    void SuggestsBoundFileFirst()
    {
        QCOMPARE(SuggestedFileName(QStringLiteral("/m/a.mld"), "x/y"), QStringLiteral("/m/a.mld"));
        QCOMPARE(SuggestedFileName(QString(), "x/y"), QStringLiteral("x_y"));
        QCOMPARE(SuggestedFileName(QString(), ToSjis(QStringLiteral("ふるさと?"))), QStringLiteral("ふるさと!"));
    }

    void ChangesExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title with a full stop") << "Ver.2"
                                                << "Ver.mid";
        QTest::newRow("no extension") << "song"
                                      << "song.mid";
        QTest::newRow("melody path") << "/home/u/song.mld"
                                     << "/home/u/song.mid";
        QTest::newRow("full stop in a folder only") << "/home/u.v/song"
                                                    << "/home/u.v/song.mid";
        QTest::newRow("sanitised title") << "a_b!c!"
                                         << "a_b!c!.mid";
    }
    void ChangesExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(ChangeExtension(name, QStringLiteral(".mid")), expected);
    }

};

QTEST_GUILESS_MAIN(SuggestedFileNameTest)
#include "SuggestedFileNameTest.moc"
