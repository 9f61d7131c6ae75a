// The command line: the switches and the file argument, then the start-up's
// "/CIN" import from a file or the clipboard and the opening of a file.
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "UnitMain/CommandLine.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;

namespace {

// Two notes of voice 0; the closing line follows from the importer.
const std::string NumericText = "72,480,0\r\n74,240,0\r\n";

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void ParsesSwitches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<bool>("play");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("file");
        QTest::newRow("nothing") << QStringList{} << false << false << ""
                                 << "";
        QTest::newRow("lower-case /d") << QStringList{"/d"} << true << false << ""
                                       << "";
        QTest::newRow("/P") << QStringList{"/p"} << false << true << ""
                            << "";
        QTest::newRow("longer than a switch is a file") << QStringList{"/Dx"} << false << false << ""
                                                        << "/Dx";
        QTest::newRow("last file wins") << QStringList{"a.mld", "/D", "B.mld"} << true << false << ""
                                        << "B.mld";
        QTest::newRow("/CIN then /COUT") << QStringList{"/cin", "/COUT"} << false << false << "/COUT"
                                         << "";
        QTest::newRow("/COUT then /CIN") << QStringList{"/cout", "/Cin"} << false << false << "/CIN"
                                         << "";
        QTest::newRow("dotless i is no switch")
            << QStringList{QStringLiteral("/cın")} << false << false << "" << QStringLiteral("/cın");
    }
    void ParsesSwitches()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, extended);
        QFETCH(bool, play);
        QFETCH(QString, mode);
        QFETCH(QString, file);
        const CommandLine line = ParseCommandLine(arguments);
        QCOMPARE(line.extendedNotation, extended);
        QCOMPARE(line.keyMappingOff, extended);
        QCOMPARE(line.playAndExit, play);
        QCOMPARE(line.mode, mode);
        QCOMPARE(line.fileName, file);
    }

    void StartsWithoutArguments()
    {
        WindowFixture fixture;
        fixture.window.StartUp({});
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
        QVERIFY(!fixture.window.findChild<QAction*>("mnSave1")->isEnabled());
        QCOMPARE(WindowAccess::FileInfo(fixture.window).version, std::string("0100"));
        QVERIFY(!WindowAccess::ExtendedNotation(fixture.window));
        QVERIFY(fixture.boxes.records.isEmpty());
    }

    void ImportsNumericText_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("notes");
        QTest::newRow("file") << "file" << true;
        QTest::newRow("clipboard") << "clipboard" << true;
        QTest::newRow("empty clipboard") << "" << false;
    }
    void ImportsNumericText()
    {
        QFETCH(QString, source);
        QFETCH(bool, notes);
        WindowFixture fixture;
        QStringList arguments{"/cin"};
        if (source == "file") {
            arguments.append(fixture.WriteFile("tune.c99", NumericText));
        } else if (source == "clipboard") {
            fixture.clipboard.text = NumericText;
        }
        fixture.window.StartUp(arguments);
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QVERIFY(!fixture.window.findChild<QAction*>("mnSave1")->isEnabled());
        QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText().isEmpty(), !notes);
        QVERIFY(fixture.boxes.records.isEmpty());
    }

    void CoutCancelsCin()
    {
        WindowFixture fixture;
        fixture.clipboard.text = NumericText;
        fixture.window.StartUp({"/CIN", "/COUT"});
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
        QCOMPARE(WindowAccess::CommandLineMode(fixture.window), QStringLiteral("/COUT"));
    }

    void UnreadableCinFileIsNotOpenedAsMelody()
    {
        WindowFixture fixture;
        fixture.window.StartUp({"/CIN", fixture.PathOf("missing.c99")});
        QCOMPARE(fixture.boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
        QVERIFY(fixture.window.Document().CurrentFileName().empty());
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
    }

    void OpensLastFileArgument()
    {
        WindowFixture fixture;
        const QString first = fixture.WriteFile("first.mld", CompiledMelody("ド", "First"));
        const QString last = fixture.WriteFile("last.mld", CompiledMelody("レ", "Last"));
        fixture.window.StartUp({first, "/d", last});
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), last);
        QCOMPARE(fixture.window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Last"));
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
        QVERIFY(fixture.window.findChild<QAction*>("mnSave1")->isEnabled());
        QVERIFY(WindowAccess::ExtendedNotation(fixture.window));
        QVERIFY(WindowAccess::KeyMappingOff(fixture.window));
    }

    void MissingFileArgumentShowsError()
    {
        WindowFixture fixture;
        fixture.window.StartUp({fixture.PathOf("none.mld")});
        QCOMPARE(fixture.boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
        QVERIFY(!fixture.window.findChild<QAction*>("mnSave1")->isEnabled());
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
