// The live check of the pages in the window: after a pause in typing each
// diagnostic is underlined in its page, counted on its tab and listed under
// the pages; choosing a row selects its characters; the meter follows the
// pages and warns of a refusal, and a refusal's row says what is allowed.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>

#include "UnitRoll/TPianoRoll.h"

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <new>
#include <stdexcept>
#include <string>

#include "UnitMain/DiagnosticsView.h"
#include "UnitMain/LiveAnalysis.h"
#include "base/TextEncoding.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

namespace quaverly {

class LiveAnalysisTest : public QObject {
    Q_OBJECT

private:
    static QListWidget* List(TFormMain& window) { return window.findChild<QListWidget*>("ListDiagnostics"); }
    static QStringList Rows(TFormMain& window)
    {
        QStringList rows;
        for (int i = 0; i < List(window)->count(); ++i) {
            rows << List(window)->item(i)->text();
        }
        return rows;
    }

private slots:
    void TypingUnderlinesCountsAndListsAfterAPause()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        WindowAccess::Live(window).RunNow();
        QVERIFY(Rows(window).isEmpty());
        auto* pages = window.findChild<QTabWidget*>("PageControl1");
        const QString secondTitle = pages->tabText(pages->indexOf(window.Pages().Page(2)));

        window.Pages().Memo(2)->insertPlainText(QStringLiteral("ドX"));
        window.Pages().Memo(2)->insertPlainText(QStringLiteral("\nｱﾚ（ａ）"));
        QVERIFY(WindowAccess::Live(window).Pending());
        QVERIFY(Rows(window).isEmpty());  // nothing before the pause
        QTRY_VERIFY_WITH_TIMEOUT(!WindowAccess::Live(window).Pending(), 2000);

        QCOMPARE(Rows(window), (QStringList{QStringLiteral("第2音 1行2列: 「X」は意味のない文字なので飛ばしました"),
                                            QStringLiteral("第2音 2行1列: 「ｱ」は意味のない文字なので飛ばしました"),
                                            QStringLiteral("第2音 2行3列: 「（ａ）」は長さ・ゲートの指定として読めないので飛ばしました")}));
        QCOMPARE(pages->tabText(pages->indexOf(window.Pages().Page(2))),
                 secondTitle + QStringLiteral(" (3)"));
        const QList<QTextEdit::ExtraSelection> marks = window.Pages().Memo(2)->extraSelections();
        QCOMPARE(marks.size(), 3);
        QCOMPARE(marks[2].cursor.selectedText(), QStringLiteral("（ａ）"));
        QCOMPARE(marks[2].format.underlineStyle(), QTextCharFormat::WaveUnderline);
        // QUAVERLY_SCREENSHOT=path keeps a picture of the window at this point (for the documents).
        if (const QByteArray path = qgetenv("QUAVERLY_SCREENSHOT"); !path.isEmpty()) {
            pages->setCurrentWidget(window.Pages().Page(2));
            window.resize(760, 560);
            window.grab().save(QString::fromLocal8Bit(path));
        }
        QVERIFY(marks[2].format.toolTip().contains(QStringLiteral("「（ａ）」")));
        QVERIFY(window.Pages().Memo(1)->extraSelections().isEmpty());

        // Mending the page clears its marks and its count.
        window.Pages().Memo(2)->setPlainText(QStringLiteral("ド"));
        WindowAccess::Live(window).RunNow();
        QVERIFY(Rows(window).isEmpty());
        QVERIFY(window.Pages().Memo(2)->extraSelections().isEmpty());
        QCOMPARE(pages->tabText(pages->indexOf(window.Pages().Page(2))), secondTitle);
    }

    // A key typed into a long page converts and measures no page on the
    // window's thread; the check after the pause converts that page alone,
    // and the roll's mark of the cursor measures it once.
    void AKeyDoesNoWholePageWork()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString line = QStringLiteral("ドレミファソラシ▲ド").repeated(40) + QLatin1Char('\n');
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            window.Pages().Memo(voice)->setPlainText(line.repeated(50));
        }
        WindowAccess::Live(window).SetPause(60000);  // no check until asked for
        WindowAccess::Live(window).RunNow();
        QPlainTextEdit* memo = window.Pages().Memo(1);
        memo->setFocus();
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(static_cast<int>(line.size()) * 25);
        memo->setTextCursor(cursor);
        QApplication::processEvents();
        const int notes = static_cast<int>(WindowAccess::PianoRoll(window)->Model().Notes(0).size());
        const auto before = window.Pages().WorkDone();

        for (Qt::Key key : {Qt::Key_C, Qt::Key_D, Qt::Key_E, Qt::Key_Right, Qt::Key_G, Qt::Key_Backspace, Qt::Key_A}) {
            QTest::keyClick(memo, key);
            QApplication::processEvents();
            QCOMPARE(window.Pages().WorkDone().conversions, before.conversions);
            QCOMPARE(window.Pages().WorkDone().measures, before.measures);
        }
        QCOMPARE(memo->toPlainText().count(QStringLiteral("ド")), 2 * 40 * 50 + 1);

        WindowAccess::Live(window).RunNow();
        QCOMPARE(window.Pages().WorkDone().conversions, before.conversions + 1);
        QCOMPARE(window.Pages().WorkDone().measures, before.measures + 1);
        QCOMPARE(static_cast<int>(WindowAccess::PianoRoll(window)->Model().Notes(0).size()), notes + 4);
        QVERIFY(WindowAccess::PianoRoll(window)->CursorNote().IsSet());
    }

    // A character Shift-JIS cannot hold is one "?" to the check: the marks
    // and places after it fall on the characters they name.
    void PlacesAfterACharacterShiftJisCannotHold()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QString::fromUtf8("€Xド\xF0\x9F\x8E\xB5Y"));
        WindowAccess::Live(window).RunNow();
        const QList<QTextEdit::ExtraSelection> marks = window.Pages().Memo(1)->extraSelections();
        QCOMPARE(marks.size(), 2);
        QCOMPARE(marks[0].cursor.selectedText(), QStringLiteral("€X"));
        QCOMPARE(marks[1].cursor.selectedText(), QString::fromUtf8("\xF0\x9F\x8E\xB5Y"));
        QCOMPARE(window.Pages().ByteOfPosition(1, 2), 2);  // ド
        QCOMPARE(window.Pages().ByteOfPosition(1, 5), 5);  // Y
        QCOMPARE(window.Pages().ByteOfPosition(1, 6), 6);  // the end
    }

    void ChoosingARowSelectsItsCharacters()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        auto* pages = window.findChild<QTabWidget*>("PageControl1");
        window.Pages().Memo(3)->setPlainText(QStringLiteral("ド\n　ミ▲▲▲▲ Z"));
        WindowAccess::Live(window).RunNow();
        pages->setCurrentWidget(window.Pages().Page(1));
        QCOMPARE(List(window)->count(), 2);
        struct Choice {
            int row;
            QString selected;
        };
        for (const Choice& choice : {Choice{0, QStringLiteral("ミ▲▲▲▲")}, Choice{1, QStringLiteral("Z")}}) {
            WindowAccess::Diagnostics(window).Choose(choice.row);
            QCOMPARE(pages->currentWidget(), window.Pages().Page(3));
            QCOMPARE(window.Pages().Memo(3)->textCursor().selectedText(), choice.selected);
        }
    }

    void MeterFollowsThePagesAndWarnsOfARefusal()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        auto* meter = window.findChild<QLabel*>("LabelMeter");
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ド４レ４ミ４ファ４"));  // four quarters
        window.Pages().Memo(2)->setPlainText(QStringLiteral("ド２"));
        window.findChild<QComboBox*>("ComboBoxTempo")->setEditText(QStringLiteral("60"));
        WindowAccess::Live(window).RunNow();
        const PageCheckResult& result = WindowAccess::Live(window).LastResult();
        QVERIFY(result.imageBytes > 0);
        QVERIFY(meter->text().startsWith(QString::number(result.imageBytes) + QStringLiteral(" バイト")));
        QVERIFY(meter->text().contains(QStringLiteral("0:04")));
        QVERIFY(meter->text().contains(QStringLiteral("音符数 4・1・0・0")));
        QCOMPARE(result.sequence.size(), 7u);  // five notes and two end events
        QVERIFY(!meter->text().contains(QStringLiteral("断られます")));

        window.Pages().Volume(3)->setText(QStringLiteral("70"));
        WindowAccess::Live(window).RunNow();
        QVERIFY(meter->text().contains(QStringLiteral("断られます")));
        QCOMPARE(Rows(window).value(0), QStringLiteral("第3音: 音量は 0～63 で指定してください"));
    }

    // Regression: the title and the file information started no check, so
    // the meter's size stayed stale and an over-long header text was reported
    // only after another edit.
    void TitleAndFileInformationStartACheck()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        auto* meter = window.findChild<QLabel*>("LabelMeter");
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ"));
        WindowAccess::Live(window).RunNow();
        const int before = WindowAccess::Live(window).LastResult().imageBytes;

        window.findChild<QLineEdit*>("EditTitle")->setText(QStringLiteral("ふるさと"));
        QVERIFY(WindowAccess::Live(window).Pending());
        QTRY_VERIFY_WITH_TIMEOUT(!WindowAccess::Live(window).Pending(), 2000);
        const int after = WindowAccess::Live(window).LastResult().imageBytes;
        QVERIFY(after > before);
        QVERIFY(meter->text().startsWith(QString::number(after) + QStringLiteral(" バイト")));

        fixture.dialogs.fileInfoAccept = true;
        fixture.dialogs.fileInfoEdit = [](MelodyFileInfo& info) { info.copyright = std::string(70000, 'c'); };
        window.mnInfoClick();
        QVERIFY(WindowAccess::Live(window).Pending());
        QTRY_VERIFY_WITH_TIMEOUT(!WindowAccess::Live(window).Pending(), 2000);
        QVERIFY(meter->text().contains(QStringLiteral("断られます")));
    }

    // Regression: a check that finishes after a later one must not replace
    // the later one's result.
    void AnOlderCheckFinishingLastIsDropped()
    {
        QThreadPool::globalInstance()->setMaxThreadCount(std::max(2, QThreadPool::globalInstance()->maxThreadCount()));
        std::string title = "first";
        std::atomic<bool> firstStarted = false;
        QSemaphore releaseFirst;
        LiveAnalysis live(
            [&] {
                LiveAnalysisInput input;
                input.texts.title = title;
                return input;
            },
            nullptr,
            [&](const LiveAnalysisInput& input) {
                PageCheckResult result;
                if (input.texts.title == "first") {
                    firstStarted = true;
                    releaseFirst.acquire();
                }
                result.refusal = input.texts.title;
                return result;
            });
        live.SetPause(1);
        QStringList shown;
        connect(&live, &LiveAnalysis::Analysed, this,
                [&](const PageCheckResult& result) { shown << QString::fromStdString(*result.refusal); });
        live.Schedule();
        QTRY_VERIFY_WITH_TIMEOUT(firstStarted.load(), 5000);
        title = "second";
        live.Schedule();
        QTRY_COMPARE_WITH_TIMEOUT(shown, QStringList{"second"}, 5000);
        releaseFirst.release();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(shown, QStringList{"second"});
        QCOMPARE(*live.LastResult().refusal, std::string("second"));
        QVERIFY(!live.Pending());
    }

    // The meter said the melody's length at its own tempo (1:00 for a
    // melody that plays 57 s at 95 %), and its size stayed stale after the
    // FFF0 data changed until the next edit.
    void MeterSaysWhatPlaysAndFollowsTheDialogs()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        auto* meter = window.findChild<QLabel*>("LabelMeter");
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ド４").repeated(60));
        window.findChild<QComboBox*>("ComboBoxTempo")->setEditText(QStringLiteral("60"));
        fixture.dialogs.editTempo = QStringLiteral("95");
        WindowAccess::Live(window).RunNow();
        QVERIFY2(meter->text().contains(QStringLiteral("0:57")), qPrintable(meter->text()));
        QVERIFY(meter->toolTip().contains(QStringLiteral("95")));
        fixture.dialogs.editTempo = QStringLiteral("50");
        window.mnOptionClick();
        QTRY_VERIFY2(meter->text().contains(QStringLiteral("0:30")), qPrintable(meter->text()));

        const size_t before = WindowAccess::Live(window).LastResult().imageBytes;
        fixture.dialogs.f0DataAccept = true;
        fixture.dialogs.f0DataEdit = [](bool& dataSet, std::string& dataHex) {
            dataSet = true;
            dataHex = std::string(82, '1');
        };
        window.mnF0DataClick();
        QTRY_VERIFY(WindowAccess::Live(window).LastResult().imageBytes > before);
        QTRY_VERIFY(meter->text().startsWith(QString::number(WindowAccess::Live(window).LastResult().imageBytes)));
    }

    void RefusalRowsSayWhatIsAllowed_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("row");
        QTest::newRow("tempo") << "ComboBoxTempo" << "300" << "テンポは 1～255 で指定してください";
        QTest::newRow("tone of voice 4") << "ComboBoxTone4" << "200" << "第4音: 音色は一覧の 1～128 から選んでください";
        QTest::newRow("volume of voice 1") << "EditVol1" << "x" << "第1音: 音量は 0～63 で指定してください";
    }
    void RefusalRowsSayWhatIsAllowed()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, row);
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドX"));
        if (auto* box = window.findChild<QComboBox*>(control)) {
            box->setEditText(text);
        } else {
            window.findChild<QLineEdit*>(control)->setText(text);
        }
        window.mnMakeMldClick();
        QCOMPARE(Rows(window).value(0), row);
        // The pages' diagnostics are listed even when the tempo stops the chain.
        QCOMPARE(Rows(window).size(), 2);
    }

    // A page of more diagnostics than are kept: the list shows the first
    // thousand and how many more there are; the tab counts them all.
    void ListShowsTheFirstThousandAndACount()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("Xド").repeated(1003));
        WindowAccess::Live(window).RunNow();
        const QStringList rows = Rows(window);
        QCOMPARE(rows.size(), 1001);
        QCOMPARE(rows.last(), QStringLiteral("第1音 ほか 3 件"));
        auto* pages = window.findChild<QTabWidget*>("PageControl1");
        QVERIFY(pages->tabText(pages->indexOf(window.Pages().Page(1))).endsWith(QStringLiteral(" (1003)")));
    }

    // A check that fails on the worker thread (memory running out, anything
    // else) is reported as the result's refusal; it used to end the program.
    void FailingCheckIsReportedNotFatal_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("out of memory") << 0 << QStringLiteral("メモリが足りません");
        QTest::newRow("other exception") << 1 << QStringLiteral("broken");
        QTest::newRow("not an exception") << 2 << QString();
    }
    void FailingCheckIsReportedNotFatal()
    {
        QFETCH(int, kind);
        QFETCH(QString, reason);
        LiveAnalysis live([] { return LiveAnalysisInput{}; }, nullptr, [kind](const LiveAnalysisInput&) -> PageCheckResult {
            if (kind == 0) {
                throw std::bad_alloc();
            }
            if (kind == 1) {
                throw std::runtime_error("broken");
            }
            throw 7;
        });
        int results = 0;
        connect(&live, &LiveAnalysis::Analysed, this, [&] { ++results; });
        live.Schedule();  // on the worker
        QTRY_COMPARE_WITH_TIMEOUT(results, 1, 5000);
        QVERIFY(live.LastResult().refusal.has_value());
        QCOMPARE(QString::fromStdString(SjisToUtf8(*live.LastResult().refusal)),
                 QStringLiteral("音譜を確かめられませんでした：") + reason);
        live.RunNow();  // on this thread
        QCOMPARE(results, 2);
        QVERIFY(live.LastResult().refusal.has_value());
    }

    void ControlPositionsCountLineBreaksAsTwoBytes()
    {
        struct Case {
            QString text;
            int byteOffset;
            int position;
        };
        const QList<Case> cases{{QStringLiteral("abc"), 2, 2},        {QStringLiteral("ドレ"), 2, 1},
                                {QStringLiteral("ド\nレ"), 4, 2},     {QStringLiteral("ｱｲド"), 2, 2},
                                {QStringLiteral("ド\n\nX"), 6, 3},    {QStringLiteral("ab"), 9, 2}};
        for (const Case& c : cases) {
            QCOMPARE(DiagnosticsView::ControlPosition(c.text, c.byteOffset), c.position);
        }
    }
};

}  // namespace quaverly

QTEST_MAIN(quaverly::LiveAnalysisTest)
#include "LiveAnalysisTest.moc"
