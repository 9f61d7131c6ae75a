// The MML reader: tracks separated by ";" as MIDI channels 1, 2, ... in the
// dialect of mml2smf ("<" an octave up, "q" eighths of the step, "v" the
// channel volume, "u" the velocity, "@" the program, "t" the tempo, "^" a
// tie, "//" and "/* */" comments) and common variants: "#" for a sharp, "&"
// to tie or slur, "n" note numbers ("n60" or "n60,8"), repeats "[ ... ]n"
// (with "/" leaving the last pass), "|" bar lines, "#TITLE" lines, upper-case
// commands where they mean nothing else, and tracks over several lines.
//
// Whatever it cannot read is skipped and listed at its line and column. The
// reading is bounded: repeats are expanded only as far as a number of steps
// in proportion to the text allows, notes and times stop at what a melody
// can hold, and each cut is listed.
#pragma once

#include <string>
#include <string_view>

#include "TextMelodyRead.h"

namespace quaverly {

// Throws QuaverlyError naming the file for a text without a note.
TextMelodyRead ReadMml(std::string_view text, const std::string& name);

// Whether the text reads as MML: it has a note and at most a quarter of its
// characters other than blanks are skipped.
bool LooksLikeMml(std::string_view text);

}  // namespace quaverly
