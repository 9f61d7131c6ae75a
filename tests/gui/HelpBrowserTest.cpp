// The help viewer and the help document: which page a help file name stands
// for, where the document is found (build folder or installed prefix), one
// reused window that opens at the contents, a missing document, and the
// document itself (every page declares UTF-8 and every link leads to a page
// that exists). Also the about box's version.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "UnitAbout/TAboutDlg.h"
#include "platform/HelpBrowser.h"
#include "platform/HelpLocation.h"

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

    // Folders under a temporary root: the program's folder, and those that
    // hold a help document (index.html).
    void helpFolderOfProgramFolder_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("documents");
        QTest::addColumn<QString>("found");
        QTest::newRow("build folder") << "build/src" << QStringList{"build/src/help"} << "build/src/help";
        QTest::newRow("installed prefix") << "usr/bin" << QStringList{"usr/share/quaverly/help"}
                                          << "usr/share/quaverly/help";
        QTest::newRow("beside the program comes first")
            << "usr/bin" << QStringList{"usr/bin/help", "usr/share/quaverly/help"} << "usr/bin/help";
        QTest::newRow("another prefix's document is not taken")
            << "opt/q/bin" << QStringList{"usr/share/quaverly/help"} << "opt/q/bin/help";
        QTest::newRow("a help folder without index.html is not the document")
            << "usr/bin" << QStringList{} << "usr/bin/help";
    }

    void helpFolderOfProgramFolder()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, documents);
        QFETCH(QString, found);
        QTemporaryDir root;
        QDir(root.path()).mkpath(program);
        QDir(root.path()).mkpath("usr/bin/help");  // empty: must not count
        for (const QString& folder : documents) {
            QDir(root.path()).mkpath(folder);
            QFile index(root.filePath(folder + "/index.html"));
            QVERIFY(index.open(QIODevice::WriteOnly));
        }
        QCOMPARE(FindHelpFolder(root.filePath(program)), root.filePath(found));
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

    void escapeClosesTheWindow()
    {
        HelpBrowser browser;
        browser.ShowContents(QStringLiteral("/nowhere/Quaverly.hlp"));
        QApplication::setActiveWindow(browser.Window());
        QVERIFY(QTest::qWaitForWindowActive(browser.Window()));
        QVERIFY(browser.Window()->frameGeometry().bottom() < browser.Window()->screen()->availableGeometry().bottom());
        QTest::keyClick(browser.Browser(), Qt::Key_Escape);
        QVERIFY(!browser.Window()->isVisible());
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

    // The about box names the licence the package and the metainfo give.
    void aboutBoxNamesTheLicence()
    {
        TAboutDlg about;
        QCOMPARE(about.findChild<QLabel*>("License")->text(), QStringLiteral("MIT License"));
        QCOMPARE(about.findChild<QLabel*>("Copyright")->text(), QStringLiteral("Copyright (C) 2026 Fernwick"));
    }
};

QTEST_MAIN(HelpBrowserTest)
#include "HelpBrowserTest.moc"
