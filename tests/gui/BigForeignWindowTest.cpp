// The window opens and plays a 40 MB melody file of another maker of four
// tracks within four times the file and 16 MB more than it held before: the
// reader, the roll's lanes and the MIDI file for play stay within their caps.
// A test of the label "big".
#include <sys/resource.h>
#include <unistd.h>

#include <QStandardPaths>
#include <QtTest>
#include <filesystem>

#include "../big/BigMfiFile.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;

namespace {

long PeakKb()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

class BigForeignWindowTest : public QObject {
    Q_OBJECT

private:
    long m_baseline = 0;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // One window first, so that what Qt allocates once is in the baseline.
        WindowFixture warmUp;
        warmUp.window.show();
        QCoreApplication::processEvents();
        m_baseline = PeakKb();
    }

    void OpenAndPlayStayWithinFourTimesTheFile_data()
    {
        QTest::addColumn<bool>("dense");
        QTest::newRow("every track read whole") << false;
        QTest::newRow("dense notes over the cap") << true;
    }
    void OpenAndPlayStayWithinFourTimesTheFile()
    {
        QFETCH(bool, dense);
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("quaverly-big-window-" + std::to_string(::getpid()) + ".mld");
        mfitest::WriteFourTrackFile(path, dense);
        WindowFixture fixture;
        fixture.window.show();
        QCoreApplication::processEvents();
        fixture.window.FileDrop1FileDrop({QString::fromStdString(path.string())});
        QVERIFY(fixture.window.Document().Foreign() != nullptr);
        fixture.window.mnPlayClick();
        QCOMPARE(fixture.player.calls.last(), QStringLiteral("Play"));
        fixture.window.repaint();
        QCoreApplication::processEvents();
        // The peak since before any file was opened: each row within the bound.
        const long grown = PeakKb() - m_baseline;
        std::filesystem::remove(path);
        qInfo("open and play of a %zu KB file: peak grew by %ld KB", mfitest::BigFileBytes / 1024, grown);
        QVERIFY2(grown < static_cast<long>(4 * mfitest::BigFileBytes / 1024) + 16 * 1024,
                 qPrintable(QStringLiteral("grew by %1 KB").arg(grown)));
    }
};

QTEST_MAIN(BigForeignWindowTest)
#include "BigForeignWindowTest.moc"
