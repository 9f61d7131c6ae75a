// A melody of another maker with a loop in the window: play follows the
// file's own tempo (the tempo adjustment is left at its 95 %); repeat play
// plays the intro and the loop once, then the loop section again and again,
// opened with the channels' state at the loop start (a counted loop: its
// passes and the melody's end, again and again); the roll marks the loop.
#include <QAction>
#include <QStandardPaths>
#include <QtTest>

#include "../core/MfiWriter.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitRoll/TPianoRoll.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/FileIO.h"

using namespace quaverly;
using namespace quaverly::mfitest;

namespace {

// Notes every 12 ticks and a loop of slot 0 from tick 48 to 144, for ever,
// or counted (the times the section plays).
std::string LoopedFile(int count = 0)
{
    std::string notes = Tempo(0, 100) + VoiceControl(0, 0xE0, 0, 3);
    for (int i = 0; i < 16; ++i) {
        notes += Note(i == 0 ? 0 : 12, 0, 20 + i, 10);
    }
    return MfiWriter()
        .Info("titl", "looped")
        .Track(notes + End(12))
        .Track(Control(48, 0xDD, 0x00) + Control(96, 0xDD, 0x01 | count << 2) + End())
        .Bytes();
}

QAction* Action(TFormMain& window, const char* name)
{
    return window.findChild<QAction*>(QLatin1String(name));
}

}  // namespace

class ForeignLoopPlayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void RepeatPlaysTheIntroOnceThenTheLoopSection()
    {
        WindowFixture fixture;
        const std::string bytes = LoopedFile();
        fixture.window.FileDrop1FileDrop({fixture.WriteFile(QStringLiteral("looped.mld"), bytes)});
        const MfiMelody melody = ReadMfiMelody(bytes, "looped.mld");
        QCOMPARE(fixture.dialogs.editTempo, QStringLiteral("95"));

        // Without repeat: the whole melody at its own tempo, its loop marked.
        fixture.window.mnPlayClick();
        QCOMPARE(fixture.player.midiBytes, MfiMidiFileBytes(melody));
        fixture.player.Finish();

        Action(fixture.window, "mnRepeatPlay")->trigger();
        fixture.player.calls.clear();
        fixture.window.mnPlayClick();
        QCOMPARE(fixture.player.midiBytes, MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 1}));
        const std::string section = MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1});
        for (int repeat = 1; repeat <= 2; ++repeat) {
            fixture.player.Finish();
            QCOMPARE(fixture.player.midiBytes, section);
            QCOMPARE(fixture.player.calls.count(QStringLiteral("Play")), 1 + repeat);
            QCOMPARE(fixture.player.calls.count(QStringLiteral("Open")), 1 + repeat);
            // The section's own time 12 is 12 past the loop's start in the roll.
            fixture.player.currentTime = 12;
            WindowAccess::FollowPlay(fixture.window);
            QCOMPARE(WindowAccess::PianoRoll(fixture.window)->Playhead(), 48 + 12);
        }
        QCOMPARE(fixture.boxes.records.size(), 0);
        // A stop ends the repeats.
        fixture.window.mnPlayClick();
        fixture.player.Finish();
        QCOMPARE(fixture.player.calls.last(), QStringLiteral("Close"));
    }

    // A counted loop has played its passes and the melody's end: repeat
    // plays that again from the start, not the loop section.
    void RepeatOfACountedLoopPlaysTheWholeAgain()
    {
        WindowFixture fixture;
        const std::string bytes = LoopedFile(2);
        fixture.window.FileDrop1FileDrop({fixture.WriteFile(QStringLiteral("counted.mld"), bytes)});
        const MfiMelody melody = ReadMfiMelody(bytes, "counted.mld");
        Action(fixture.window, "mnRepeatPlay")->trigger();
        fixture.window.mnPlayClick();
        const std::string played = MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 1});
        QCOMPARE(fixture.player.midiBytes, played);
        fixture.player.calls.clear();
        fixture.player.Finish();
        QCOMPARE(fixture.player.midiBytes, played);
        QCOMPARE(fixture.player.calls, QStringList{QStringLiteral("Play")});
    }

    void TheRollMarksTheLoop()
    {
        WindowFixture fixture;
        fixture.window.FileDrop1FileDrop({fixture.WriteFile(QStringLiteral("looped.mld"), LoopedFile())});
        // 48 ticks a quarter in the file as in the roll.
        const std::optional<std::pair<int, int>> loop = WindowAccess::PianoRoll(fixture.window)->Model().Loop();
        QVERIFY(loop.has_value());
        QCOMPARE(loop->first, 48);
        QCOMPARE(loop->second, 144);
    }
};

QTEST_MAIN(ForeignLoopPlayTest)
#include "ForeignLoopPlayTest.moc"
