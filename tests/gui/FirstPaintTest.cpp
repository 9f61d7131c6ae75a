// What the program leaves until its main window is first painted: the
// player's soundfont and the windows' icon. A window shown before the main
// window (the journal's question, the playing window of "/P") gets the icon
// as it is shown. And the window's fonts name one installed family, so that
// choosing them costs no search of fontconfig's substitutes or fallbacks.
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QtTest>
#include <algorithm>

#include "WindowFixture.h"
#include "app/FirstPaint.h"
#include "platform/FormLook.h"

using namespace quaverly;

class FirstPaintTest : public QObject {
    Q_OBJECT

private slots:
    void SoundfontAndIconWaitForThePaint()
    {
        WindowFixture f;
        int icons = 0;
        FirstPaint firstPaint(f.window, f.player, [&icons] { ++icons; });
        f.window.StartUp({});
        QCoreApplication::processEvents();
        QCOMPARE(f.player.prepares, 0);
        QCOMPARE(icons, 0);

        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTRY_COMPARE(f.player.prepares, 1);
        QCOMPARE(icons, 1);
        // Later paints start nothing more.
        f.window.repaint();
        QCoreApplication::processEvents();
        QCOMPARE(f.player.prepares, 1);
        QCOMPARE(icons, 1);
    }

    void AWindowShownFirstGetsTheIconAtOnce()
    {
        WindowFixture f;
        int icons = 0;
        FirstPaint firstPaint(f.window, f.player, [&icons] { ++icons; });
        QMessageBox question(QMessageBox::Question, QStringLiteral("Quaverly"), QStringLiteral("?"));
        question.show();
        QCOMPARE(icons, 1);
        QCOMPARE(f.player.prepares, 0);
        question.close();

        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QTRY_COMPARE(f.player.prepares, 1);
        QCOMPARE(icons, 1);
    }

    void FontsNameTheFirstInstalledFamilyAlone()
    {
        const QStringList installed = QFontDatabase::families();
        for (const QFont& font : {WindowFont(), FixedPitchFont()}) {
            const QStringList families = font.families();
            const bool anyInstalled = std::any_of(families.begin(), families.end(), [&](const QString& family) {
                return installed.contains(family, Qt::CaseInsensitive);
            });
            // The test machine installs the IPA fonts (scripts/install-deps.sh):
            // without one of the listed families this test would prove nothing.
            QVERIFY2(anyInstalled, qPrintable(QStringLiteral("none installed of: ") + families.join(QStringLiteral(", "))));
            QCOMPARE(families.size(), 1);
            QVERIFY2(installed.contains(families.first(), Qt::CaseInsensitive), qPrintable(families.first()));
            QCOMPARE(QFontInfo(font).family().toLower(), families.first().toLower());
        }
    }
};

QTEST_MAIN(FirstPaintTest)
#include "FirstPaintTest.moc"
