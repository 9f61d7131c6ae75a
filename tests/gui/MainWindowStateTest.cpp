// The document state: what each command and each control change sets, and
// which question each command asks in each state (the answer No stops it).
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "base/Messages.h"
#include "UnitMld/MailText.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/SjisText.h"

using namespace quaverly;

Q_DECLARE_METATYPE(quaverly::EditState)

namespace {

using Kind = ScriptedMessageBoxes::Kind;

enum class Command { New, Open, Import, GetMail, Drop, Close, Exit, Save, SaveAs, Export, CreateMail, Play, PutMidi };

// closed: whether closing the window was accepted.
void Run(WindowFixture& fixture, Command command, bool& closed)
{
    TFormMain& window = fixture.window;
    switch (command) {
        case Command::New:
            window.mnNewClick();
            break;
        case Command::Open:
            window.mnOpen1Click();
            break;
        case Command::Import:
            window.mnImportClick();
            break;
        case Command::GetMail:
            // A melody: the question comes only once there is one to replace the document with.
            fixture.clipboard.text = MakeMailText(CompiledMelody("ソ"));
            window.mnGetMailClick();
            break;
        case Command::Drop:
            window.FileDrop1FileDrop({fixture.WriteFile("dropped.mld", CompiledMelody("ソ"))});
            break;
        case Command::Close:
            closed = window.close();
            break;
        case Command::Exit:
            window.mnExit1Click();
            break;
        case Command::Save:
            window.mnSave1Click();
            break;
        case Command::SaveAs:
            window.mnSaveAs1Click();
            break;
        case Command::Export:
            window.mnExportClick();
            break;
        case Command::CreateMail:
            window.mnCreateMailClick();
            break;
        case Command::Play:
            window.mnPlayClick();
            break;
        case Command::PutMidi:
            window.mnPutMidiClick();
            break;
    }
}

// Whether the command went past its question, where that can be seen.
std::optional<bool> WentOn(const WindowFixture& fixture, Command command, bool closed)
{
    switch (command) {
        case Command::New:
            return fixture.window.Pages().Memo(1)->toPlainText().isEmpty();
        case Command::GetMail:
        case Command::Drop:
            return fixture.window.Pages().Memo(1)->toPlainText() != QStringLiteral("ドレミ");
        case Command::Open:
            return fixture.dialogs.mldSelectCalls == 1;
        case Command::Import:
            return fixture.fileDialogs.openCalls.size() == 1;
        case Command::Close:
            return closed;
        case Command::Exit:
            return fixture.terminations == 1;
        case Command::Save:
        case Command::SaveAs:
        case Command::Export:
            return fixture.fileDialogs.saveCalls.size() == 1;
        case Command::CreateMail:
            return fixture.clipboard.text.has_value();
        case Command::Play:
        case Command::PutMidi:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

class MainWindowStateTest : public QObject {
    Q_OBJECT

private slots:
    void QuestionsByState_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<EditState>("state");
        QTest::addColumn<QString>("question");  // empty: none asked
        const QString loss = FromSjis(Msg::LossQuestion);
        const QString analysis = FromSjis(Msg::AnalysisQuestion);
        const std::pair<Command, const char*> lossCommands[] = {
            {Command::New, "New"},         {Command::Open, "Open"}, {Command::Import, "Import"},
            {Command::GetMail, "GetMail"}, {Command::Drop, "Drop"}, {Command::Close, "Close"},
            {Command::Exit, "Exit"}};
        const std::pair<Command, const char*> analysisCommands[] = {
            {Command::Save, "Save"}, {Command::SaveAs, "SaveAs"},         {Command::Export, "Export"},
            {Command::Play, "Play"}, {Command::CreateMail, "CreateMail"}, {Command::PutMidi, "PutMidi"}};
        const std::pair<EditState, const char*> states[] = {{EditState::Empty, "Empty"},
                                                            {EditState::Current, "Current"},
                                                            {EditState::ScoreEdited, "ScoreEdited"},
                                                            {EditState::SettingsEdited, "SettingsEdited"},
                                                            {EditState::Saved, "Saved"}};
        for (const auto& [state, stateName] : states) {
            const bool losable = state != EditState::Empty && state != EditState::Saved;
            const bool edited = state == EditState::ScoreEdited || state == EditState::SettingsEdited;
            for (const auto& [command, name] : lossCommands) {
                QTest::addRow("%s in %s", name, stateName) << int(command) << state << (losable ? loss : QString());
            }
            for (const auto& [command, name] : analysisCommands) {
                QTest::addRow("%s in %s", name, stateName) << int(command) << state << (edited ? analysis : QString());
            }
        }
    }

    // Answers No: a command that asks stops there and the state stays.
    void QuestionsByState()
    {
        QFETCH(int, command);
        QFETCH(EditState, state);
        QFETCH(QString, question);
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ"));
        WindowAccess::SetEditState(fixture.window, state);
        fixture.boxes.defaultAnswer = false;

        bool closed = false;
        Run(fixture, Command(command), closed);

        const QStringList asked = fixture.boxes.Texts(Kind::Question);
        const std::optional<bool> wentOn = WentOn(fixture, Command(command), closed);
        if (question.isEmpty()) {
            QVERIFY(asked.isEmpty());
            QVERIFY(wentOn.value_or(true));
        } else {
            QCOMPARE(asked, QStringList{question});
            QCOMPARE(fixture.window.Document().State(), state);
            QVERIFY(!wentOn.value_or(false));
        }
    }

    void ChangeNoticesSetState_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<EditState>("expected");
        QTest::newRow("tempo") << "ComboBoxTempo" << EditState::SettingsEdited;
        QTest::newRow("title") << "EditTitle" << EditState::SettingsEdited;
        QTest::newRow("tone 2") << "ComboBoxTone2" << EditState::SettingsEdited;
        QTest::newRow("volume 3") << "EditVol3" << EditState::SettingsEdited;
        QTest::newRow("memo 4") << "Memo4" << EditState::ScoreEdited;
    }
    void ChangeNoticesSetState()
    {
        QFETCH(QString, control);
        QFETCH(EditState, expected);
        for (EditState before : {EditState::Empty, EditState::Current, EditState::Saved}) {
            WindowFixture fixture;
            WindowAccess::SetEditState(fixture.window, before);
            QWidget* widget = fixture.window.findChild<QWidget*>(control);
            QVERIFY(widget != nullptr);
            widget->setFocus();
            QTest::keyClicks(widget, QStringLiteral("1"));
            QCOMPARE(fixture.window.Document().State(), expected);
        }
    }

    void CommandsSetState()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        fixture.dialogs.mldSelectAnswer = fixture.WriteFile("a.mld", CompiledMelody("ドレミ", "A"));
        window.mnOpen1Click();
        QCOMPARE(window.Document().State(), EditState::Current);
        window.Pages().Memo(2)->setPlainText(QStringLiteral("ソ"));
        QCOMPARE(window.Document().State(), EditState::ScoreEdited);
        window.mnMakeMldClick();
        QCOMPARE(window.Document().State(), EditState::Current);
        window.mnSave1Click();
        QCOMPARE(window.Document().State(), EditState::Saved);
        fixture.dialogs.fileInfoAccept = true;
        window.mnInfoClick();
        QCOMPARE(window.Document().State(), EditState::SettingsEdited);
        fixture.fileDialogs.saveAnswers = {fixture.PathOf("b.mld")};
        window.mnSaveAs1Click();
        // The save analysed first: the new file information is in the file.
        QCOMPARE(window.Document().State(), EditState::Saved);
        QCOMPARE(ReadMelodyTitle(fixture.PathOf("b.mld").toStdString()), std::string("A"));
        fixture.dialogs.f0DataAccept = true;
        window.mnF0DataClick();
        QCOMPARE(window.Document().State(), EditState::SettingsEdited);
        window.mnNewClick();
        QCOMPARE(window.Document().State(), EditState::Empty);
        QCOMPARE(fixture.boxes.Count(Kind::Question), 2);  // Save As and New after the info edit
    }
};

QTEST_MAIN(MainWindowStateTest)
#include "MainWindowStateTest.moc"
