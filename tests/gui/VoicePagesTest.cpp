// The four voices' pages as the core reads them: a character position as a
// byte offset of the page's Shift-JIS text with CR LF line ends and back, and
// each page converted and measured once after each of its changes.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "UnitMain/VoicePages.h"

using namespace quaverly;

namespace {

// A window's voice controls, named as the main window names them.
struct PagesWindow {
    QWidget window;
    QComboBox* tempo = new QComboBox(&window);
    QLineEdit* title = new QLineEdit(&window);
    PagesWindow()
    {
        tempo->setEditable(true);
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            (new QPlainTextEdit(&window))->setObjectName(QStringLiteral("Memo%1").arg(voice));
            auto* tone = new QComboBox(&window);
            tone->setEditable(true);
            tone->setObjectName(QStringLiteral("ComboBoxTone%1").arg(voice));
            (new QLineEdit(&window))->setObjectName(QStringLiteral("EditVol%1").arg(voice));
            (new QWidget(&window))->setObjectName(QStringLiteral("TabSheet%1").arg(voice));
            (new QAction(&window))->setObjectName(QStringLiteral("mnPlay%1").arg(voice));
        }
    }
};

}  // namespace

class VoicePagesTest : public QObject {
    Q_OBJECT

private slots:
    void PositionsAndBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("byte");
        QTest::newRow("two-byte kana") << QStringLiteral("ドレ") << 1 << 2;
        QTest::newRow("end of two-byte kana") << QStringLiteral("ドレ") << 2 << 4;
        QTest::newRow("line end is CR LF") << QStringLiteral("a\nb") << 2 << 3;
        QTest::newRow("surrogate pair is one character") << QStringLiteral("a😀b") << 3 << 2;
        QTest::newRow("before the start") << QStringLiteral("ドレ") << -1 << 0;
        QTest::newRow("past the end") << QStringLiteral("ドレ") << 99 << 4;
        QTest::newRow("empty page") << QString() << 0 << 0;
    }
    void PositionsAndBytes()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(int, byte);
        PagesWindow w;
        VoicePages pages(w.window, w.tempo, w.title);
        pages.Memo(2)->setPlainText(text);
        QCOMPARE(pages.ByteOfPosition(2, position), byte);
        // Back: the first position at or after the byte.
        QCOMPARE(pages.ByteOfPosition(2, pages.PositionOfByte(2, byte)), byte);
    }

    void ControlsAreFoundByTheirNames()
    {
        PagesWindow w;
        VoicePages pages(w.window, w.tempo, w.title);
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            QCOMPARE(pages.Memo(voice)->objectName(), QStringLiteral("Memo%1").arg(voice));
            QCOMPARE(pages.Tone(voice)->objectName(), QStringLiteral("ComboBoxTone%1").arg(voice));
            QCOMPARE(pages.Volume(voice)->objectName(), QStringLiteral("EditVol%1").arg(voice));
            QCOMPARE(pages.Page(voice)->objectName(), QStringLiteral("TabSheet%1").arg(voice));
            QCOMPARE(pages.PlayItem(voice)->objectName(), QStringLiteral("mnPlay%1").arg(voice));
        }
    }

    // A page is converted and measured again only after its own change, and
    // only once it has been told of it.
    void EachPageIsConvertedOnceAfterItsChange()
    {
        PagesWindow w;
        VoicePages pages(w.window, w.tempo, w.title);
        w.tempo->setEditText(QStringLiteral("125"));
        pages.Memo(1)->setPlainText(QStringLiteral("ド\nレ"));
        EditorTexts texts = pages.CollectEditorTexts();
        QCOMPARE(texts.tempo, std::string("125"));
        QCOMPARE(texts.scores[0], std::string("\x83h\r\n\x83\x8C"));
        QCOMPARE(pages.WorkDone().conversions, VoiceCount);
        pages.ByteOfPosition(1, 1);
        pages.PositionOfByte(1, 1);
        QCOMPARE(pages.WorkDone().measures, 1);

        pages.CollectEditorTexts();
        QCOMPARE(pages.WorkDone().conversions, VoiceCount);
        pages.Memo(3)->setPlainText(QStringLiteral("ミ"));
        pages.PageChanged(3);
        texts = pages.CollectEditorTexts();
        QCOMPARE(texts.scores[2], std::string("\x83~"));
        QCOMPARE(pages.WorkDone().conversions, VoiceCount + 1);
        pages.ByteOfPosition(1, 0);
        QCOMPARE(pages.WorkDone().measures, 1);
        // The boxes alone convert no page.
        pages.CollectSettingTexts();
        QCOMPARE(pages.WorkDone().conversions, VoiceCount + 1);
    }
};

QTEST_MAIN(VoicePagesTest)
#include "VoicePagesTest.moc"
