#include "RtttlReader.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "RtttlFacts.h"
#include "TextMessages.h"
#include "base/Errors.h"

namespace quaverly {

namespace {

constexpr int WholeTicks = 4 * TextMelodyDivision;
constexpr int DefaultVelocity = 100;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

[[noreturn]] void Refuse(std::string_view reason, const std::string& name)
{
    throw QuaverlyError(std::string(TextMsg::TextMelodyUnreadable) + name + "\r\n" + std::string(reason));
}

// The digits at the position (at most four), or nothing.
std::optional<int> Number(std::string_view text, size_t& at)
{
    const size_t from = at;
    int value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - from < 4) {
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at == from || (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))) {
        return std::nullopt;
    }
    return value;
}

struct Settings {
    int duration = 4;
    int octave = 6;
    int tempo = 63;
};

bool IsDuration(int value)
{
    return value == 1 || value == 2 || value == 4 || value == 8 || value == 16 || value == 32 || value == 64;
}

// One item of the settings: "d=8", " o = 5 ". An item it cannot take is listed.
void ReadSetting(std::string_view text, size_t from, size_t to, Settings& settings, TextProblemList& problems)
{
    std::string item;
    for (size_t i = from; i < to; ++i) {
        if (!IsBlank(text[i])) {
            item += Lower(text[i]);
        }
    }
    if (item.empty()) {
        return;
    }
    if (item.size() > 2 && item[0] == 's' && item[1] == '=') {
        return;  // the style of the Nokia form: nothing a melody keeps
    }
    size_t at = 2;
    const std::optional<int> value = item.size() > 2 && item[1] == '=' ? Number(item, at) : std::nullopt;
    if (!value || at != item.size()) {
        problems.Add(from, to - from, TextMsg::SkippedText);
        return;
    }
    switch (item[0]) {
    case 'd':
        if (IsDuration(*value)) {
            settings.duration = *value;
            return;
        }
        break;
    case 'o':
        if (*value <= 9) {
            settings.octave = *value;
            return;
        }
        break;
    case 'b':
        if (*value >= 1) {
            settings.tempo = *value;
            return;
        }
        break;
    case 'l':  // the loop count of the Nokia form: nothing a melody keeps
        return;
    default:
        problems.Add(from, to - from, TextMsg::SkippedText);
        return;
    }
    problems.Add(from, to - from, TextMsg::ValueOutOfRange);
}

struct ReadNote {
    int ticks = 0;  // at TextMelodyDivision
    int key = -1;   // -1 for a rest
};

// "[duration] note [#] [.] [octave] [.]", blanks removed and lower case.
std::optional<ReadNote> ParseNote(std::string_view item, const Settings& settings, bool& outOfRange)
{
    size_t at = 0;
    int duration = settings.duration;
    if (at < item.size() && std::isdigit(static_cast<unsigned char>(item[at]))) {
        const std::optional<int> value = Number(item, at);
        if (!value || !IsDuration(*value)) {
            outOfRange = value.has_value();
            return std::nullopt;
        }
        duration = *value;
    }
    if (at >= item.size()) {
        return std::nullopt;
    }
    static constexpr std::string_view Letters = "cdefgab";
    static constexpr int PitchClasses[] = {0, 2, 4, 5, 7, 9, 11};
    ReadNote note;
    const char letter = item[at++];
    int pitchClass = -1;
    if (letter == 'h') {
        pitchClass = 11;
    } else if (letter != 'p') {
        const size_t index = Letters.find(letter);
        if (index == std::string_view::npos) {
            return std::nullopt;
        }
        pitchClass = PitchClasses[index];
    }
    if (at < item.size() && item[at] == '#') {
        if (pitchClass < 0) {
            return std::nullopt;
        }
        ++pitchClass;
        ++at;
    }
    bool dotted = false;
    if (at < item.size() && item[at] == '.') {
        dotted = true;
        ++at;
    }
    int octave = settings.octave;
    if (at < item.size() && std::isdigit(static_cast<unsigned char>(item[at]))) {
        octave = item[at++] - '0';
    }
    if (at < item.size() && item[at] == '.' && !dotted) {
        dotted = true;
        ++at;
    }
    if (at != item.size()) {
        return std::nullopt;
    }
    note.ticks = WholeTicks / duration;
    note.ticks += dotted ? note.ticks / 2 : 0;
    note.key = pitchClass < 0 ? -1 : 12 * (octave + 1) + pitchClass;
    return note;
}

}  // namespace

bool LooksLikeRtttl(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) {
        ++start;
    }
    const size_t lineEnd = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string_view line = text.substr(start, lineEnd - start);
    const size_t first = line.find(':');
    if (first == std::string_view::npos || first > 64) {
        return false;
    }
    const size_t second = line.find(':', first + 1);
    if (second == std::string_view::npos) {
        return false;
    }
    const std::string_view settings = line.substr(first + 1, second - first - 1);
    return std::all_of(settings.begin(), settings.end(), [](char c) {
        return IsBlank(c) || c == '=' || c == ',' || std::isdigit(static_cast<unsigned char>(c)) ||
               std::string_view("dobls").find(Lower(c)) != std::string_view::npos;
    });
}

TextMelodyRead ReadRtttl(std::string_view text, const std::string& name)
{
    TextMelodyRead read;
    TextProblemList problems(text);
    size_t start = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (start < text.size() && IsBlank(text[start])) {
        ++start;
    }
    const size_t first = text.find(':', start);
    const size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) {
        Refuse(TextMsg::RtttlNoSections, name);
    }
    // A collection holds a tune a line: the first one is read, the others listed.
    size_t end = text.size();
    const size_t third = text.find(':', second + 1);
    if (third != std::string_view::npos) {
        const size_t lineStart = text.find_last_of("\r\n", third);
        end = lineStart == std::string_view::npos || lineStart < second ? second + 1 : lineStart + 1;
        size_t rest = end;
        while (rest < text.size() && IsBlank(text[rest])) {
            ++rest;
        }
        problems.Add(rest, text.size() - rest, TextMsg::SkippedText);
    }

    std::string title(text.substr(start, first - start));
    title.erase(title.find_last_not_of(" \t\r\n") + 1);
    read.content.title = title;

    Settings settings;
    for (size_t from = first + 1; from < second;) {
        const size_t comma = std::min(text.find(',', from), second);
        ReadSetting(text, from, comma, settings, problems);
        from = comma + 1;
    }

    read.content.header.format = 0;
    read.content.header.trackCount = 1;
    read.content.header.division = TextMelodyDivision;
    read.content.tempos.emplace_back(0, static_cast<uint32_t>(60'000'000 / settings.tempo));
    int64_t time = 0;
    for (size_t from = second + 1; from < end;) {
        const size_t comma = std::min(text.find(',', from), end);
        while (from < comma && IsBlank(text[from])) {
            ++from;
        }
        std::string item;
        for (size_t i = from; i < comma; ++i) {
            if (!IsBlank(text[i])) {
                item += Lower(text[i]);
            }
        }
        if (!item.empty() && read.content.notes.size() >= MaxTextMelodyNotes) {
            problems.Add(from, end - from, TextMsg::TooMuchWork, true);
            break;
        }
        if (!item.empty()) {
            bool outOfRange = false;
            const std::optional<ReadNote> note = ParseNote(item, settings, outOfRange);
            if (!note) {
                problems.Add(from, comma - from, outOfRange ? TextMsg::ValueOutOfRange : TextMsg::SkippedText);
            } else {
                if (note->key > 127) {
                    problems.Add(from, comma - from, TextMsg::ValueOutOfRange);
                } else if (note->key >= 0) {
                    MidiNote midi;
                    midi.on = time;
                    midi.EndAt(time + note->ticks);
                    midi.key = static_cast<uint8_t>(note->key);
                    midi.velocity = DefaultVelocity;
                    read.content.notes.push_back(midi);
                }
                time += note->ticks;
            }
        }
        from = comma + 1;
    }
    read.notes = static_cast<int>(read.content.notes.size());
    if (read.notes == 0) {
        Refuse(TextMsg::NoNotes, name);
    }
    problems.MoveInto(read);
    return read;
}

}  // namespace quaverly
