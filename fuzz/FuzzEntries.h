// The entry logic of every fuzz target, shared by the libFuzzer programs in
// this folder and by the regression test that replays the inputs they found
// (tests/core/FuzzRegressionTest.cpp). Each entry feeds one reader of outside
// data with arbitrary bytes. A QuaverlyError is the reader's clean refusal and
// counts as handled; a broken promise of the reader (a result that its own
// contract rules out) throws FuzzFailure, which no caller catches in a fuzz
// run, so libFuzzer reports it as a crash together with the input.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quaverly::fuzz {

// A reader broke its contract on this input. Deliberately not a QuaverlyError.
class FuzzFailure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The first byte picks the voice (bits 0-1) and the extended notation (bit 2);
// the rest is the score text given to ParseScore.
void ScoreParserEntry(std::string_view data);
// Whether the diagnostics of the page tell what the parser did with it: no
// character they call skipped makes an event or canonical text (the page
// without them compiles the same), and every character that makes nothing,
// blanks and line breaks aside, lies in one of them. Empty when they do,
// else what is untrue.
std::string DiagnosticsUntrue(std::string_view page, int voice, bool extendedNotation);
// The bytes as a MelodyImage through every store query, the listing, the
// load into the editor, the sequence view and the title lookup.
void MelodyImageEntry(std::string_view data);
// The bytes as a ".tml" file: ReadMelodyText, then the analysis of what it read.
void MelodyTextEntry(std::string_view data);
// The bytes as mail text (ReadMailText, Base64Decode), and the encoder's round trip.
void MailTextEntry(std::string_view data);
// The bytes as numeric melody text imported into a fresh store.
void NumericTextEntry(std::string_view data);
// The bytes as a ".pmr" file opened through the store and loaded.
void PocketMelodyEntry(std::string_view data);
// The bytes as a ringtone book; the melodies of its first four songs are parsed.
void RingtoneBookEntry(std::string_view data);
// The bytes as a crash journal: parsed, and a parsed one written and read back.
void JournalEntry(std::string_view data);
// Score texts compiled, loaded back and compiled again must give the same image.
void RoundTripEntry(std::string_view data);

// The bytes as a Standard MIDI File: the channel survey, the import, the
// melody it builds and the load of that melody.
void MidiFileEntry(std::string_view data);

// The bytes as a melody file of another maker: the reading within its memory
// bound, its MIDI file, its import into four voices.
void MfiMelodyEntry(std::string_view data);
// The bytes as RTTTL and as MML text (FuzzTextEntries.cpp): the reading within
// its bounds, every problem at a place, the import into four voices built.
void RtttlTextEntry(std::string_view data);
void MmlTextEntry(std::string_view data);

// The bytes as a MusicXML score (plain or ".mxl"): the reading within its
// memory bound, the channel survey, the import and the melody it builds.
void MusicXmlEntry(std::string_view data);

struct NamedEntry {
    std::string_view target;  // the fuzz target's name without "Fuzz": "ScoreParser"
    void (*entry)(std::string_view data);
};

// Every entry by its target name: the folders of tests/corpus/fuzz-regressions.
std::span<const NamedEntry> Entries();

}  // namespace quaverly::fuzz
