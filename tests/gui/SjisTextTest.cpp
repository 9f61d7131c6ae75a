// The window's conversion to Shift-JIS (code page 932): its table gives for
// every character what the whole conversion gives, "?" for what the code page
// cannot hold included, alone and among other characters.
#include <QtTest>

#include <random>

#include "base/TextEncoding.h"
#include "platform/SjisText.h"

using namespace quaverly;

namespace {

// What the window's conversion gave before it had a table.
std::string ThroughUtf8(const QString& text)
{
    return Utf8ToSjisLenient(text.toStdString());
}

}  // namespace

class SjisTextTest : public QObject {
    Q_OBJECT

private slots:
    void EveryCharacterAsTheWholeConversion()
    {
        // All at once: unconvertible characters and their "?" come out the
        // same in a text as alone.
        QString all;
        for (uint unit = 0; unit < 0x10000; ++unit) {
            if (unit < 0xD800 || unit > 0xDFFF) {
                all += QChar(static_cast<char16_t>(unit));
            }
        }
        QCOMPARE(QByteArray::fromStdString(ToSjis(all)), QByteArray::fromStdString(ThroughUtf8(all)));
        QCOMPARE(ToSjis(QStringLiteral("ド６４ｱ\n€é")), ThroughUtf8(QStringLiteral("ド６４ｱ\n€é")));
    }

    void SurrogatesAndMixedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("pair") << QString::fromUtf8("ド\xF0\x9F\x8E\xB5レ");
        QTest::newRow("lone high at the end") << (QStringLiteral("ド") + QChar(char16_t(0xD83C)));
        QTest::newRow("lone high before a note") << (QChar(char16_t(0xD83C)) + QStringLiteral("ド"));
        QTest::newRow("lone low") << (QStringLiteral("a") + QChar(char16_t(0xDFB5)) + QStringLiteral("b"));
        QTest::newRow("empty") << QString();
        QTest::newRow("nul inside") << QString(QStringLiteral("a") + QChar(u'\0') + QStringLiteral("ド"));
    }
    void SurrogatesAndMixedTexts()
    {
        QFETCH(QString, text);
        QCOMPARE(QByteArray::fromStdString(ToSjis(text)), QByteArray::fromStdString(ThroughUtf8(text)));
    }

    void RandomTexts()
    {
        std::mt19937 random(21);
        const char16_t pool[] = {u'ド', u'６', u'４', u'▲', u'a', u'\n', u'€', u'é', u'ｱ', u'〜', u'～', 0xD83C, 0xDFB5, u'?'};
        for (int round = 0; round < 200; ++round) {
            QString text;
            const int length = static_cast<int>(random() % 40);
            for (int i = 0; i < length; ++i) {
                text += QChar(pool[random() % std::size(pool)]);
            }
            QCOMPARE(QByteArray::fromStdString(ToSjis(text)), QByteArray::fromStdString(ThroughUtf8(text)));
        }
    }
};

QTEST_GUILESS_MAIN(SjisTextTest)
#include "SjisTextTest.moc"
