// "MIDI読み込み" and the drop of a MIDI file: the channel choice, the import
// report, and that a bad file, a Cancel or a No leaves the document untouched.
// Also the MIDI read dialog itself.
#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "../core/MidiFileBytes.h"
#include "UnitMidiIn/TReadMidiDlg.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

using namespace quaverly;
using namespace quaverly::testmidi;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

// Channel 1 plays C D, channel 5 plays E G a quarter each, at 96 ticks.
std::string TwoChannelFile()
{
    std::string events = Meta(0, 0x03, "Duo");
    for (const auto& [delta, first, second] : {std::tuple{0, 72, 76}, {4, 74, 79}}) {
        events += Bytes({delta, 0x90, first, 100, 0x00, 0x94, second, 100, 92, 0x80, first, 0, 0x00, 0x84, second, 0});
    }
    return Header(0, 1, 96) + Track(events);
}

QString Memo(const TFormMain& window, int voice)
{
    return window.Pages().Memo(voice)->toPlainText();
}

}  // namespace

class MidiImportCommandTest : public QObject {
    Q_OBJECT

private slots:
    void MenuImportsTheChosenChannelsAndShowsTheReport()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        QVERIFY(window.findChild<QAction*>("mnGetMidi")->isEnabled());
        WindowAccess::SetEditState(window, EditState::Current);
        fixture.fileDialogs.openAnswers = {fixture.WriteFile("duo.mid", TwoChannelFile())};
        fixture.dialogs.midiChannelsAnswer = std::vector<int>{5};
        window.mnGetMidiClick();

        QCOMPARE(fixture.boxes.Count(Kind::Question), 1);
        QVERIFY(fixture.fileDialogs.openCalls.first().filter.contains("*.mid"));
        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{1});
        QCOMPARE(fixture.dialogs.shownMidiSurveys[0].automaticChoice, (std::vector<int>{1, 5}));
        QCOMPARE(Memo(window, 1), QStringLiteral("ミ４ソ４"));
        QCOMPARE(Memo(window, 2), QString());
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Duo"));
        QCOMPARE(window.Document().State(), EditState::Current);
        QCOMPARE(QString::fromStdString(window.Document().CurrentFileName()), QString());
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].startsWith(QStringLiteral("MIDI読み込み結果")));
        QVERIFY(reports[0].contains(QStringLiteral("選ばなかったチャンネルの音符： 2")));
        QVERIFY(!fixture.store.MelodyImage().empty());
    }

    void DroppedMidiFileIsImportedTheSameWay()
    {
        WindowFixture fixture;
        fixture.window.FileDrop1FileDrop({fixture.WriteFile("duo.MIDI", TwoChannelFile())});
        QCOMPARE(Memo(fixture.window, 1), QStringLiteral("ド４レ４"));
        QCOMPARE(Memo(fixture.window, 2), QStringLiteral("ミ４ソ４"));
        QCOMPARE(fixture.boxes.Count(Kind::Information), 1);
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 0);
        QCOMPARE(fixture.window.Document().State(), EditState::Current);
    }

    void NothingChangesUntilTheFileIsReadAndChosen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("lossAnswer");
        QTest::addColumn<bool>("cancelChoice");
        QTest::addColumn<int>("errors");
        const std::string good = TwoChannelFile();
        const std::string truncated = good.substr(0, good.size() - 5);
        QTest::newRow("truncated file") << "cut.mid" << QByteArray(truncated.data(), static_cast<int>(truncated.size()))
                                        << true << false << 1;
        QTest::newRow("not a MIDI file") << "text.mid" << QByteArray("hello") << true << false << 1;
        QTest::newRow("channel choice cancelled") << "duo.mid" << QByteArray(good.data(), static_cast<int>(good.size()))
                                                  << true << true << 0;
        QTest::newRow("loss question answered No") << "duo.mid" << QByteArray(good.data(), static_cast<int>(good.size()))
                                                   << false << false << 0;
    }

    void NothingChangesUntilTheFileIsReadAndChosen()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, lossAnswer);
        QFETCH(bool, cancelChoice);
        QFETCH(int, errors);
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ"));
        window.findChild<QLineEdit*>("EditTitle")->setText(QStringLiteral("Mine"));
        fixture.store.MelodyImage() = "previous image";
        WindowAccess::SetEditState(window, EditState::ScoreEdited);
        fixture.boxes.answers = {lossAnswer};
        fixture.dialogs.midiChannelsCancel = cancelChoice;
        fixture.fileDialogs.openAnswers = {fixture.WriteFile(name, std::string_view(bytes.constData(), bytes.size()))};
        window.mnGetMidiClick();

        QCOMPARE(Memo(window, 1), QStringLiteral("ドレミ"));
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Mine"));
        QCOMPARE(fixture.store.MelodyImage(), std::string("previous image"));
        QCOMPARE(window.Document().State(), EditState::ScoreEdited);
        QCOMPARE(fixture.boxes.Count(Kind::Error), errors);
        if (errors > 0) {
            QVERIFY(fixture.boxes.Texts(Kind::Error)[0].startsWith(FromSjis(Msg::MidiFileMalformed)));
        }
        QCOMPARE(fixture.boxes.Count(Kind::Information), 0);
    }

    void DialogTicksTheAutomaticChoiceAndAllowsAtMostFour()
    {
        TReadMidiDlg dialog;
        MidiSurvey survey;
        for (int channel : {1, 2, 3, 5, 10}) {
            survey.channels.push_back({channel, channel * 3, channel == 2 ? -1 : 40, channel == 3});
        }
        survey.automaticChoice = {1, 2, 3, 5};
        dialog.LoadSurvey(survey);
        QCOMPARE(dialog.ChosenChannels(), (std::vector<int>{1, 2, 3, 5}));
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>("ButtonBox")->button(QDialogButtonBox::Ok);
        QVERIFY(ok->isEnabled());
        dialog.SetChannelChecked(10, true);
        QVERIFY(!ok->isEnabled());
        dialog.SetChannelChecked(1, false);
        QVERIFY(ok->isEnabled());
        QCOMPARE(dialog.ChosenChannels(), (std::vector<int>{2, 3, 5, 10}));
        for (int channel : {2, 3, 5, 10}) {
            dialog.SetChannelChecked(channel, false);
        }
        QVERIFY(!ok->isEnabled());
    }
};

QTEST_MAIN(MidiImportCommandTest)
#include "MidiImportCommandTest.moc"
