// The SequenceList: the ordered list of fixed-column text lines through which
// events pass between the parser, the numeric importer, the builder, the
// sequence listing, the way back to score text, the report and the MIDI writer.
//
// EventLine "%5d %1d %2d %3d": time (columns 1-5), voice (7), note (9-10),
// gate (12-14). Note -1 is an EndLine; gate 0 is a silent event (a rest).
// RawLine "%5d %1d       %s": time, voice, hexadecimal bytes from column 15;
// its columns 9-10 are blank.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quaverly {

using SequenceList = std::vector<std::string>;

// Times run from 0 to 99999: the time column holds five digits.
inline constexpr int MaxSequenceTime = 99999;

std::string FormatEventLine(int time, int voice, int note, int gate);
std::string FormatRawLine(int time, int voice, std::string_view hex);

// Columns 9-10 blank after trimming (or missing) means a RawLine.
bool IsRawLine(std::string_view line);

// Field readers: cut the columns, trim blanks, read with the system's integer
// reading; a field that is not an integer throws ConversionError.
int LineTime(std::string_view line);   // columns 1-5
int LineVoice(std::string_view line);  // column 7
int LineNote(std::string_view line);   // columns 9-10
// Columns 12 to the end of the line: the same as 12-14 for every line the
// system makes, and still the whole number if a gate ever needed more digits.
int LineGate(std::string_view line);
// The hexadecimal text of a RawLine, from column 15 (empty when the line is shorter).
std::string_view RawLineHex(std::string_view line);

// The text order of the list: character by character, letters without regard
// to case, the blank before the minus sign before digits and letters. With the
// fixed columns this orders lines by time, then by voice.
bool SequenceTextLess(std::string_view a, std::string_view b);

// Stable sort by SequenceTextLess, so equal lines keep their list order.
void SortSequenceList(SequenceList& list);

}  // namespace quaverly
