#include "SequenceLineFields.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/IntegerReading.h"

namespace quaverly {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Columns(std::string_view line, size_t first, size_t last)
{
    // 1-based, inclusive; a short line gives what it has.
    if (line.size() < first) {
        return {};
    }
    return line.substr(first - 1, last == std::string_view::npos ? last : last - first + 1);
}

// Blanks, an optional minus, up to nine decimal digits, blanks: the shape of
// every field the system writes.
bool ReadPlainField(std::string_view field, int& value)
{
    size_t i = 0;
    const size_t n = field.size();
    while (i < n && IsBlank(field[i])) {
        ++i;
    }
    const bool negative = i < n && field[i] == '-';
    i += negative ? 1 : 0;
    const size_t digitsAt = i;
    int64_t number = 0;
    while (i < n && field[i] >= '0' && field[i] <= '9') {
        number = number * 10 + (field[i] - '0');
        if (++i - digitsAt > 9) {
            return false;
        }
    }
    if (i == digitsAt) {
        return false;
    }
    while (i < n && IsBlank(field[i])) {
        ++i;
    }
    if (i != n) {
        return false;
    }
    value = static_cast<int>(negative ? -number : number);
    return true;
}

int ReadField(std::string_view line, size_t first, size_t last)
{
    const std::string_view field = Columns(line, first, last);
    int value = 0;
    if (ReadPlainField(field, value)) {
        return value;
    }
    return ReadIntegerOrThrow(TrimBlanks(field));  // other spellings, or the error
}

bool NoteColumnsBlank(std::string_view line)
{
    const std::string_view note = Columns(line, 9, 10);
    return std::all_of(note.begin(), note.end(), IsBlank);
}

// The comparison's rank of a byte, one above SequenceTextLess's order so that
// 0 can stand for the end of a line (a shorter line sorts first).
uint64_t Rank(unsigned char c)
{
    if (c == ' ') {
        return 1;
    }
    if (c == '-') {
        return 2;
    }
    if (c >= 'a' && c <= 'z') {
        c = static_cast<unsigned char>(c - 'a' + 'A');
    }
    return uint64_t{c} + 3;
}

// Seven characters of nine bits: time and voice of both line forms.
constexpr size_t KeyLength = 7;

uint64_t SortKey(std::string_view line)
{
    uint64_t key = 0;
    for (size_t i = 0; i < KeyLength; ++i) {
        key = (key << 9) | (i < line.size() ? Rank(static_cast<unsigned char>(line[i])) : 0);
    }
    return key;
}

}  // namespace

SequenceLineFields ReadSequenceLineFields(std::string_view line)
{
    SequenceLineFields fields;
    fields.time = ReadField(line, 1, 5);
    fields.voice = ReadField(line, 7, 7);
    fields.raw = NoteColumnsBlank(line);
    if (!fields.raw) {
        fields.note = ReadField(line, 9, 10);
        fields.gate = ReadField(line, 12, std::string_view::npos);
    }
    return fields;
}

int ReadLineTime(std::string_view line) { return ReadField(line, 1, 5); }
int ReadLineVoice(std::string_view line) { return ReadField(line, 7, 7); }

void SortSequenceLines(SequenceList& list)
{
    auto less = [](const std::string& a, const std::string& b) { return SequenceTextLess(a, b); };
    if (std::is_sorted(list.begin(), list.end(), less)) {
        return;
    }
    struct Entry {
        uint64_t key;
        uint32_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        entries.push_back({SortKey(list[i]), static_cast<uint32_t>(i)});
    }
    // Equal keys (same time and voice) fall back to the whole lines; the sort
    // is stable, so lines that compare equal keep their order.
    std::stable_sort(entries.begin(), entries.end(), [&list](const Entry& a, const Entry& b) {
        if (a.key != b.key) {
            return a.key < b.key;
        }
        return SequenceTextLess(list[a.index], list[b.index]);
    });
    SequenceList sorted;
    sorted.reserve(list.size());
    for (const Entry& entry : entries) {
        sorted.push_back(std::move(list[entry.index]));
    }
    list.swap(sorted);
}

}  // namespace quaverly
