// Texts that files of other programs carry (the track names, copyright and
// lyrics of a MIDI file) in whatever encoding their writer used, made into
// the system's Shift-JIS. A MIDI file does not say its encoding: Japanese
// tools write Shift-JIS, newer ones UTF-8, and European ones Latin-1 as
// Windows writes it (code page 1252), so 「© 2010」 is the bytes A9 20 32...,
// which Shift-JIS would read as a half-width katakana. The rule that tells
// them apart, in this order:
//   1. only ASCII bytes: ASCII, kept as it is;
//   2. well-formed UTF-8 with a character beyond ASCII: UTF-8 (Shift-JIS text
//      is rarely well-formed UTF-8: its usual lead bytes 0x81-0x9F are UTF-8
//      continuation bytes and cannot start a character);
//   3. not valid Shift-JIS (a byte no character starts with, a lead byte
//      without its second byte, a user-defined character 0xF040-0xF9FC that
//      no file of a phone tool holds): Latin-1;
//   4. valid Shift-JIS of single bytes only, in which no two bytes beyond
//      ASCII stand next to each other: Latin-1. Half-width katakana write
//      words, so they come in runs; Latin-1 signs and letters (©, °, é)
//      stand alone between ASCII letters, digits and blanks;
//   5. anything else: Shift-JIS.
// A Latin-1 text whose letters happen to pair into Shift-JIS characters
// ("Décembre": E9 63 is a kanji) stays Shift-JIS: the rule cannot see it.
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

enum class ForeignEncoding { Ascii, Utf8, ShiftJis, Latin1 };

// The encoding the rule above takes the bytes to be in.
ForeignEncoding GuessForeignEncoding(std::string_view text);

struct ForeignText {
    std::string sjis;                  // the text in Shift-JIS
    ForeignEncoding encoding = ForeignEncoding::Ascii;
    bool replaced = false;             // a character had no Shift-JIS form and became "?"
};

// The text in Shift-JIS: a character that Shift-JIS cannot hold becomes "?".
ForeignText ForeignTextToSjis(std::string_view text);

}  // namespace quaverly
