// The help viewer and the help document: which page a help file name stands
// for, one reused window that opens at the contents, a missing document, and
// the document itself (every page declares UTF-8 and every link leads to a
// page that exists). Also the about box's version.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "UnitAbout/TAboutDlg.h"
#include "platform/HelpBrowser.h"

using namespace quaverly;

namespace {

const QString HelpFolder = QStringLiteral(QUAVERLY_HELP_DIR);

}  // namespace

class HelpBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void contentsPageOfHelpFileName_data()
    {
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<QString>("page");
        QTest::newRow("page as it is") << "/opt/q/help/index.html"
                                       << "/opt/q/help/index.html";
        QTest::newRow("other page") << "/opt/q/help/notation.HTM"
                                    << "/opt/q/help/notation.HTM";
        QTest::newRow("help file beside the program") << "/opt/q/Quaverly.hlp"
                                                      << "/opt/q/help/index.html";
    }

    void contentsPageOfHelpFileName()
    {
        QFETCH(QString, helpFile);
        QFETCH(QString, page);
        QCOMPARE(HelpBrowser::ContentsPage(helpFile), page);
    }

    void opensContentsInOneReusedWindow()
    {
        HelpBrowser help;
        help.ShowContents(HelpFolder + "/index.html");
        QWidget* window = help.Window();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(help.Browser()->toPlainText().contains(u"目次"_qs));
        QCOMPARE(help.Browser()->documentTitle(), u"Quaverly ヘルプ 目次"_qs);

        help.Browser()->setSource(QUrl::fromLocalFile(HelpFolder + "/notation.html"));
        help.ShowContents(HelpFolder + "/index.html");
        QCOMPARE(help.Window(), window);
        QCOMPARE(help.Browser()->source(), QUrl::fromLocalFile(HelpFolder + "/index.html"));
    }

    void missingDocumentSaysSo()
    {
        QTemporaryDir folder;
        HelpBrowser help;
        help.ShowContents(folder.filePath("Quaverly.hlp"));
        QVERIFY(help.Browser()->toPlainText().contains(u"ヘルプファイルが見つかりません"_qs));
    }

    void everyPageDeclaresUtf8AndLinksExist()
    {
        const QStringList pages = QDir(HelpFolder).entryList({"*.html"}, QDir::Files);
        QVERIFY(pages.contains("index.html"));
        QVERIFY(pages.size() >= 5);
        // A relative link: no scheme, no fragment-only target.
        QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)\""));
        for (const QString& page : pages) {
            QFile file(HelpFolder + "/" + page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY2(bytes.contains("<meta charset=\"utf-8\">"), qPrintable(page));
            const QString text = QString::fromUtf8(bytes);
            QVERIFY2(text.toUtf8() == bytes, qPrintable(page + " is not UTF-8"));
            for (const QRegularExpressionMatch& match : link.globalMatch(text)) {
                QVERIFY2(QFile::exists(HelpFolder + "/" + match.captured(1)),
                         qPrintable(page + " links to " + match.captured(1)));
            }
        }
    }

    // The version comes from the build, not from the form.
    void aboutBoxShowsTheBuildVersion()
    {
        TAboutDlg about;
        QVERIFY(
            QRegularExpression(R"(^Ver \d+\.\d+\.\d+$)").match(about.findChild<QLabel*>("Version")->text()).hasMatch());
    }
};

QTEST_MAIN(HelpBrowserTest)
#include "HelpBrowserTest.moc"
