// Fast reading and sorting of SequenceList lines for the passes that touch
// every line of a long melody (the builder, the way back to score text, the
// view rows, the report). They give exactly what the column readers and the
// sort of SequenceList.h give; the common shapes are handled by hand, anything
// else goes to those readers (and fails as they do).
#pragma once

#include <string_view>

#include "SequenceList.h"

namespace quaverly {

struct SequenceLineFields {
    bool raw = false;  // columns 9-10 blank: a RawLine, whose note and gate stay 0
    int time = 0;
    int voice = 0;
    int note = 0;
    int gate = 0;
};

// Throws ConversionError for a field that is not an integer, as LineTime and the others do.
SequenceLineFields ReadSequenceLineFields(std::string_view line);
// Time and voice only, for passes that skip the lines of other voices.
int ReadLineTime(std::string_view line);
int ReadLineVoice(std::string_view line);

// Sorts like SortSequenceList (stable, by SequenceTextLess) through integer
// keys of each line's first characters, and not at all when already sorted.
void SortSequenceLines(SequenceList& list);

}  // namespace quaverly
