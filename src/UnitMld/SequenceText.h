// The text form of SequenceList entries: the one place that writes columns.
// The sequence view, `quaverly-cli seq` and `quaverly-cli parse` show it; the
// order of the list is defined as the order of these texts.
//
// Event "%5d %1d %2d %3d": time (columns 1-5), voice (7), note (9-10), gate
// (12-14, wider when the gate needs it). Raw data "%5d %1d       %s": time,
// voice, and the hexadecimal text from column 15; its columns 9-10 are blank.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "SequenceList.h"

namespace quaverly {

std::string FormatEventLine(int time, int voice, int note, int gate);
std::string FormatRawLine(int time, int voice, std::string_view hex);
// The line of an entry of the list.
std::string FormatSequenceLine(const SequenceList& list, const SequenceEntry& entry);

// The text order: character by character, letters without regard to case,
// the blank before the minus sign before digits and letters; a text that is
// the start of another comes first. With the fixed columns this orders lines
// by time, then by voice.
bool SequenceTextLess(std::string_view a, std::string_view b);
// The same order for the part of two texts after a common start: <0, 0 or >0.
int CompareSequenceText(std::string_view a, std::string_view b);

// Compares the texts "%*d" of two numbers right-aligned in width columns in
// the text order, without writing them: <0, 0 or >0. Exact also when a number
// needs more columns than width.
int CompareRightAlignedText(int64_t a, int64_t b, int width);

}  // namespace quaverly
