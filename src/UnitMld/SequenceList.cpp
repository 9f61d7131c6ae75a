#include "SequenceList.h"

#include <algorithm>
#include <cstdio>

#include "base/IntegerReading.h"

namespace quaverly {

namespace {

std::string_view Columns(std::string_view line, size_t first, size_t last)
{
    // first and last are 1-based and inclusive; a short line gives what it has.
    if (line.size() < first) {
        return {};
    }
    return line.substr(first - 1, last - first + 1);
}

int ReadField(std::string_view field) { return ReadIntegerOrThrow(TrimBlanks(field)); }

// Rank of a byte in the comparison: blank and minus first, as the ordinary
// sort of a string list places them, then the rest by their folded code.
int SortKey(unsigned char c)
{
    if (c == ' ') {
        return -2;
    }
    if (c == '-') {
        return -1;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 'A';
    }
    return c;
}

// Writes value right-aligned into width characters ending at end (value fits).
void PutRightAligned(char* end, int width, int value)
{
    const bool negative = value < 0;
    unsigned magnitude = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char* p = end;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) {
        *--p = '-';
    }
    while (p > end - width) {
        *--p = ' ';
    }
}

}  // namespace

std::string FormatEventLine(int time, int voice, int note, int gate)
{
    // Written by hand when every field fits its columns: a long melody has
    // some 133,000 lines, and snprintf was most of the time of a compile.
    if (time >= 0 && time <= MaxSequenceTime && voice >= 0 && voice <= 9 && note >= -9 && note <= 99 && gate >= 0 &&
        gate <= 999) {
        std::string line(14, ' ');
        PutRightAligned(line.data() + 5, 5, time);
        PutRightAligned(line.data() + 7, 1, voice);
        PutRightAligned(line.data() + 10, 2, note);
        PutRightAligned(line.data() + 14, 3, gate);
        return line;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%5d %1d %2d %3d", time, voice, note, gate);
    return buffer;
}

std::string FormatRawLine(int time, int voice, std::string_view hex)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%5d %1d       ", time, voice);
    return std::string(buffer) + std::string(hex);
}

bool IsRawLine(std::string_view line) { return TrimBlanks(Columns(line, 9, 10)).empty(); }

int LineTime(std::string_view line) { return ReadField(Columns(line, 1, 5)); }
int LineVoice(std::string_view line) { return ReadField(Columns(line, 7, 7)); }
int LineNote(std::string_view line) { return ReadField(Columns(line, 9, 10)); }
int LineGate(std::string_view line) { return ReadField(Columns(line, 12, std::string_view::npos)); }

std::string_view RawLineHex(std::string_view line)
{
    return line.size() < 15 ? std::string_view{} : line.substr(14);
}

bool SequenceTextLess(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ka = SortKey(static_cast<unsigned char>(a[i]));
        int kb = SortKey(static_cast<unsigned char>(b[i]));
        if (ka != kb) {
            return ka < kb;
        }
    }
    return a.size() < b.size();
}

void SortSequenceList(SequenceList& list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const std::string& a, const std::string& b) { return SequenceTextLess(a, b); });
}

}  // namespace quaverly
