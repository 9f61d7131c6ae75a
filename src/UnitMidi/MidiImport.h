// The MIDI importer: a Standard MIDI File (format 0 or 1) made into a melody
// of up to four voices. Times become melody ticks (48 to the quarter note),
// each rounded to the nearest tick; keys become notes (key - 45); the first
// tempo, the programs, the velocities and the texts become the settings; a
// channel's chords are split over free voices, top note first. Each note's
// duration and gate are chosen so that the way back to score text spells the
// plain forms (normal gate, staccato, tie, a rest between) wherever they fit.
// Everything that could not come is counted in the import report.
//
// The result is independent of how the melody is later stored: per voice a
// list of timed events (a gate of 0 is a rest). MidiMelody.h turns it into a
// melody image.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "MidiNoteCollector.h"

namespace quaverly {

// One MIDI channel as the file uses it (for the channel choice).
struct MidiChannelSummary {
    int channel = 0;     // 1..16
    int notes = 0;
    int program = -1;    // the first program change, 0..127; -1 without one
    bool chords = false; // two notes or more start together
};

struct MidiSurvey {
    std::vector<MidiChannelSummary> channels;  // channels with notes or a program, in channel order
    std::vector<int> automaticChoice;          // channels 1..16 in voice order; 0 leaves a voice to chords
    std::string dialogTitle;                   // Shift-JIS; empty: the channel dialog's own title
};

// One event of a voice in melody ticks. Gate 0 is a rest.
struct VoiceEvent {
    int time = 0;
    int note = 0;
    int gate = 0;
    bool operator==(const VoiceEvent&) const = default;
};

struct ImportedVoice {
    std::vector<VoiceEvent> events;  // in time order
    int tone = 1;                    // 1..128
    int volume = 63;                 // 0..63
    bool used = false;               // its channel (or a chord of it) is in the file
    int channel = 0;                 // 1..16 it came from; 0 for none
    int notesKept = 0;
};

// What the import kept and what it could not keep.
struct MidiImportReport {
    int notesRead = 0;
    int tempo = 120;
    std::array<int, 4> notesKept{};
    std::array<int, 4> channels{};  // 0 for a voice that received nothing
    int notesOfOtherChannels = 0;
    int chordNotesDropped = 0;
    int notesClamped = 0;
    int notesCut = 0;
    int largestCut = 0;            // ticks
    int notesMoved = 0;            // by the rounding to melody ticks
    int largestMoveTenths = 0;     // tenths of a tick
    int tempoChanges = 0;          // later changes the single melody tempo cannot keep
    int textsReplaced = 0;         // title or copyright with characters that have no Shift-JIS form
    int notesTooLate = 0;          // starting after the last tick a melody can hold
    int notesEndedAtLimit = 0;     // sounding past the last tick, cut there
    std::vector<std::string> readerNotes;   // lines of the reader of another format (MidiContent)
    std::vector<std::string> readerLosses;
    bool LostNothing() const;
};

struct ImportedMelody {
    std::string title;      // Shift-JIS
    std::string copyright;  // Shift-JIS
    int tempo = 120;        // 1..255
    std::array<ImportedVoice, 4> voices;
    int endTime = 0;        // the melody's end in ticks
    bool hasEnd = true;     // false only for a melody of no event at all, as this program writes one
    MidiImportReport report;
};

// The channels of the file and the automatic choice. Throws MidiFileError.
MidiSurvey SurveyMidiFile(std::string_view bytes, const std::string& name);
// The same of a file already read (CollectMidiContent), so that a survey and
// the import that follows it read the file once.
MidiSurvey SurveyMidiContent(const MidiContent& content);

// Imports the file. channels: up to four MIDI channels 1..16 in voice order,
// or empty for the automatic choice. Throws MidiFileError for a bad file and
// QuaverlyError for a bad choice; nothing is kept from a failed import.
ImportedMelody ImportMidiFile(std::string_view bytes, const std::string& name, const std::vector<int>& channels = {});
// The same of a file already read, or of notes a reader of another melody
// format collected: every import of notes into voices goes through here.
// Throws QuaverlyError for a bad choice.
ImportedMelody ImportMidiContent(MidiContent content, const std::vector<int>& channels = {});

// The report for a person, Shift-JIS with CR LF line ends.
std::string MidiImportReportText(const MidiImportReport& report);

}  // namespace quaverly
