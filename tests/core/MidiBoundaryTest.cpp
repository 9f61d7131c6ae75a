// The MIDI reading and import at the edges of their limits: the event cap,
// the program's own layout with an empty melody, the spread of a chord and
// the one tick a tie sounds into the next note. Each case sits on the limit
// and one past it, so that a limit moved by one fails here.
#include <gtest/gtest.h>

#include "MidiFileBytes.h"
#include "UnitMidi/MidiFileReader.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiNoteCollector.h"
#include "UnitMidi/VoiceSpelling.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace testmidi;

class CountingSink : public MidiEventSink {
public:
    void Event(int, const MidiEvent&) override { ++events; }
    size_t events = 0;
};

// One track of exactly count events: a note-on, running-status note-ons, the end of track.
std::string FileOfEvents(size_t count)
{
    std::string events = Bytes({0x00, 0x90, 0x40, 0x40});
    events.reserve(3 * count + 8);
    for (size_t i = 2; i < count; ++i) {
        events.append("\x00\x40\x40", 3);
    }
    return Header(0, 1, 96) + Track(events);
}

TEST(MidiBoundary, EventCapTakesItsLastEventAndRefusesOneMore)
{
    CountingSink sink;
    ReadMidiFile(FileOfEvents(MaxMidiEvents), "cap.mid", sink);
    EXPECT_EQ(sink.events, MaxMidiEvents);
    try {
        CountingSink over;
        ReadMidiFile(FileOfEvents(MaxMidiEvents + 1), "over.mid", over);
        FAIL() << "read one event over the cap";
    } catch (const MidiFileError& error) {
        EXPECT_EQ(std::string(error.what()), MidiFileError(Msg::MidiReasonTooManyEvents, "over.mid").what());
    }
}

// The conductor track of the program's own files: "Setup" at 0, "Start" a
// bar later, the end a bar after the melody's end; an empty melody ends it
// right at "Start".
TEST(MidiBoundary, OwnLayoutWithAnEmptyMelodyEndsAtTheSetupBar)
{
    const std::string conductor = Meta(0, 0x06, "Setup") + Meta(1920, 0x06, "Start");
    const MidiContent empty = CollectMidiContent(Header(1, 1, 480) + Track(conductor), "own.mid");
    EXPECT_TRUE(empty.quaverlyLayout);
    EXPECT_EQ(empty.melodyEndTick, 0);
    const MidiContent oneTick = CollectMidiContent(Header(1, 1, 480) + Track(conductor + VarLen(1) + Bytes({0xFF, 0x01, 0})), "own.mid");
    EXPECT_TRUE(oneTick.quaverlyLayout);
    EXPECT_EQ(oneTick.melodyEndTick, 1);
}

// A note struck up to three ticks (a sixty-fourth at most) after the first of
// a chord, while it sounds, joins the chord; four ticks after, it does not.
TEST(MidiBoundary, ChordSpreadIsThreeTicksAndNoMore)
{
    struct Case {
        uint32_t delay;
        int secondTime;  // where the upper note starts in the melody
    };
    for (const Case c : {Case{3, 0}, Case{4, 4}}) {
        SCOPED_TRACE(c.delay);
        // Division 48: a file tick is a melody tick.
        const std::string events = Bytes({0x00, 0x90, 72, 100}) + VarLen(c.delay) + Bytes({0x90, 76, 100}) +
                                   VarLen(48 - c.delay) + Bytes({0x80, 72, 0}) + VarLen(0) + Bytes({0x80, 76, 0});
        const ImportedMelody melody = ImportMidiFile(Header(0, 1, 48) + Track(events), "chord.mid");
        bool found = false;
        for (const ImportedVoice& voice : melody.voices) {
            for (const VoiceEvent& event : voice.events) {
                if (event.note == 76 - 45 && event.gate != 0) {
                    EXPECT_EQ(event.time, c.secondTime);
                    found = true;
                }
            }
        }
        EXPECT_TRUE(found);
    }
}

// A note of one key sounding into the next note of that key is cut at its
// start, except a tie, which sounds one tick into it by its own spelling.
TEST(MidiBoundary, SameKeyNoteIsCutOnlyBeyondATie)
{
    struct Case {
        int gate;
        int keptGate;
        int cut;
    };
    for (const Case c : {Case{49, 49, 0}, Case{50, 48, 2}}) {
        SCOPED_TRACE(c.gate);
        SpellingLosses losses;
        const std::vector<VoiceEvent> events = SpellVoice({{0, 27, c.gate}, {48, 27, 46}}, 96, false, losses);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), (VoiceEvent{0, 27, c.keptGate}));
        EXPECT_EQ(losses.notesCut, c.cut == 0 ? 0 : 1);
        EXPECT_EQ(losses.largestCut, c.cut);
    }
}

}  // namespace
}  // namespace quaverly
