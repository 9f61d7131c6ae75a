// Timing of the MLD file browser on a large folder: 10,000 small melody files
// listed by the shown dialog, progress label included. Prints the time; the
// limit is 2 s in an optimised build and generous in debug or sanitizer
// builds, which are several times slower. Set QUAVERLY_LISTING_FILES to
// change the number of files.
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "DialogTestSupport.h"
#include "ScriptedMessageBoxes.h"
#include "UnitMldSel/TFormMldSelect.h"

using namespace quaverly;

namespace {

#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr qint64 LimitMs = 2000;
#else
constexpr qint64 LimitMs = 30000;
#endif

}  // namespace

class MldSelectTimingTest : public QObject {
    Q_OBJECT

private slots:
    void listsTenThousandFilesQuickly()
    {
        const int files = qEnvironmentVariableIsSet("QUAVERLY_LISTING_FILES")
                              ? qEnvironmentVariableIntValue("QUAVERLY_LISTING_FILES")
                              : 10000;
        QTemporaryDir folder;
        for (int i = 0; i < files; ++i) {
            const std::string title = "Melody " + std::to_string(i);
            QVERIFY(test::WriteBytes(folder.path() + QStringLiteral("/m%1.mld").arg(i, 5, 10, QLatin1Char('0')),
                                     test::MelodyWithTitle(title)));
        }
        ScriptedMessageBoxes boxes;
        TFormMldSelect dialog(boxes);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.SetCurrentFolder(folder.path());

        QElapsedTimer timer;
        timer.start();
        dialog.ListFolder();
        const qint64 elapsed = timer.elapsed();

        qInfo("Listed %d melody files in %lld ms (limit %lld ms)", files, elapsed, LimitMs);
        QCOMPARE(dialog.findChild<QTreeWidget*>("ListView1")->topLevelItemCount(), files);
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), u"読みとり終了(%1/%1)"_qs.arg(files));
        QCOMPARE(boxes.records.size(), 0);
        QVERIFY2(elapsed < LimitMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    }
};

QTEST_MAIN(MldSelectTimingTest)
#include "MldSelectTimingTest.moc"
