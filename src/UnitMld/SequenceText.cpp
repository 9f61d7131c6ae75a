#include "SequenceText.h"

#include <algorithm>
#include <cstdio>

namespace quaverly {

namespace {

// Rank of a byte in the text order: blank and minus first, as the ordinary
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

// "%*d" into buffer (room for 24 characters past width); returns the length.
size_t WriteRightAligned(char* buffer, int64_t value, int width)
{
    char digits[24];
    int count = 0;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits[count++] = '-';
    }
    size_t length = 0;
    for (int pad = width - count; pad > 0; --pad) {
        buffer[length++] = ' ';
    }
    while (count > 0) {
        buffer[length++] = digits[--count];
    }
    return length;
}

constexpr int64_t PowerOfTen(int width)
{
    int64_t power = 1;
    for (int i = 0; i < width && i < 18; ++i) {
        power *= 10;
    }
    return power;
}

}  // namespace

std::string FormatEventLine(int time, int voice, int note, int gate)
{
    // Written by hand when every field fits its columns: a long melody has
    // some 133,000 lines, and snprintf was most of the time of a listing.
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

std::string FormatSequenceLine(const SequenceList& list, const SequenceEntry& entry)
{
    if (entry.IsRaw()) {
        return FormatRawLine(entry.Time(), entry.Voice(), list.RawText(entry));
    }
    return FormatEventLine(entry.Time(), entry.Voice(), entry.Note(), entry.Gate());
}

int CompareSequenceText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ka = SortKey(static_cast<unsigned char>(a[i]));
        const int kb = SortKey(static_cast<unsigned char>(b[i]));
        if (ka != kb) {
            return ka < kb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SequenceTextLess(std::string_view a, std::string_view b) { return CompareSequenceText(a, b) < 0; }

int CompareRightAlignedText(int64_t a, int64_t b, int width)
{
    // Right-aligned numbers of the same width that are not negative compare
    // as numbers: blanks before digits, and digits in their order.
    const int64_t limit = PowerOfTen(width);
    if (a >= 0 && b >= 0 && a < limit && b < limit) {
        return a == b ? 0 : (a < b ? -1 : 1);
    }
    char textA[48];
    char textB[48];
    width = std::clamp(width, 0, 20);
    const size_t lengthA = WriteRightAligned(textA, a, width);
    const size_t lengthB = WriteRightAligned(textB, b, width);
    return CompareSequenceText(std::string_view(textA, lengthA), std::string_view(textB, lengthB));
}

}  // namespace quaverly
