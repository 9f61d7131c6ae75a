// The melody as a notation program lays it out: per voice with notes, its
// events (a chord of the notes that start together, or a rest) with their
// lengths, each spelled as written in the page that produced it, and the
// lengths cut at bar lines and into note values (plain, dotted, triplets)
// that add up exactly, the pieces of one length tied together. No Qt: the
// MusicXML writer turns this into elements.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "UnitMld/MldLayout.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

// The quarter note: the melody's own tick (48) is the MusicXML division.
inline constexpr int ScoreDivisions = 48;
// 4/4: the melody holds no time signature of its own.
inline constexpr int ScoreMeasureTicks = 4 * ScoreDivisions;

// A pitch as a score writes it: step "C".."B", alteration in semitones, octave (C4 is MIDI key 60).
struct WrittenPitch {
    char step = 'C';
    int alter = 0;
    int octave = 4;
    bool operator==(const WrittenPitch&) const = default;
};

// The spelling of MIDI key as the page wrote it: the note head's step and its
// sharps and flats, when they give that key; otherwise the sharp spelling
// the canonical names use. written: the characters of the note ("シ♭８．").
WrittenPitch SpellPitch(int key, std::string_view written);

struct ScoreNote {
    WrittenPitch pitch;
    int key = 60;  // MIDI key
};

// A chord of the notes that start together (in the order typed), or a rest.
// Its notes are its voice's notes[firstNote, firstNote + noteCount): an
// event holds no list of its own, so a voice of a hundred thousand events is
// made and copied without an allocation each.
struct ScoreEvent {
    ScoreEvent(int at = 0, int ticks = 0) : time(at), length(ticks) {}

    int time = 0;
    int length = 0;  // ticks, > 0
    bool staccato = false;
    uint32_t firstNote = 0;
    uint32_t noteCount = 0;

    size_t NoteCount() const { return noteCount; }
    bool IsRest() const { return noteCount == 0; }
};

struct ScoreVoice {
    int voice = 0;  // 0..3
    std::vector<ScoreEvent> events;  // in time order, gaps filled with rests, up to the end
    std::vector<ScoreNote> notes;    // every event's notes, in the events' order

    const ScoreNote& Note(const ScoreEvent& event, size_t i) const { return notes[event.firstNote + i]; }
};

// The voices with notes, from a melody's SequenceList (sorted or not) and
// the pages its entries point into (empty pages: the canonical sharps).
// Every voice runs to the melody's end (the last entry's time, rounded up to
// a whole measure).
std::vector<ScoreVoice> ScoreVoices(const SequenceList& list, const std::array<std::string, VoiceCount>& pages);

// A note value: its length in ticks, its MusicXML type, dots, and whether it
// is a triplet (three in the time of two).
struct NoteValue {
    int ticks = 0;
    const char* type = "quarter";
    int dots = 0;
    bool triplet = false;
};

// The note values that add up to a length, longest first; nothing rounded.
std::vector<NoteValue> SplitLength(int ticks);

// One written note or rest: a piece of an event within one measure.
struct ScorePiece {
    const ScoreEvent* event = nullptr;
    const NoteValue* value = nullptr;  // one of the values SplitLength gives
    int measure = 0;                   // 0-based
    bool tieStart = false;  // the event goes on in the next piece
    bool tieStop = false;   // the piece continues the one before
    bool tupletStart = false;
    bool tupletStop = false;
};

// A voice's pieces in time order, each knowing its measure.
std::vector<ScorePiece> MeasurePieces(const ScoreVoice& voice);

}  // namespace quaverly
