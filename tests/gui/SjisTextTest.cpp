// The window's conversion to Shift-JIS (code page 932): its table gives for
// every character what the whole conversion gives, and a character the code
// page cannot hold is one "?" (a surrogate pair too), alone and among others.
#include <QtTest>

#include <random>

#include "base/TextEncoding.h"
#include "platform/SjisText.h"

using namespace quaverly;

namespace {

// The whole conversion character by character, one "?" for a character it
// cannot convert (which it turns into a "?" for each of its UTF-8 bytes).
std::string ThroughUtf8(const QString& text)
{
    std::string sjis;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        const std::string converted = Utf8ToSjisLenient(character.toStdString());
        sjis += converted.find('?') != std::string::npos && character != QStringLiteral("?") ? std::string("?") : converted;
        i += pair ? 1 : 0;
    }
    return sjis;
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
        QCOMPARE(QByteArray::fromStdString(ToSjis(QString::fromUtf8("ド６４ｱ\n€é\xF0\x9F\x8E\xB5?"))),
                 QByteArray("\x83h\x82U\x82S\xB1\n???\x3F"));
        // What the page's places are counted in: a character's bytes.
        for (const QString& text : {all, QString::fromUtf8("ド\xF0\x9F\x8E\xB5€ｱ")}) {
            int bytes = 0;
            for (QChar character : text) {
                bytes += SjisLength(character);
            }
            QCOMPARE(static_cast<size_t>(bytes), ToSjis(text).size());
        }
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
