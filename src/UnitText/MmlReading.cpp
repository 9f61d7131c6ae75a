// Reading MML text: tracks, repeats, directives, lengths and the time.
#include <algorithm>
#include <cctype>
#include <optional>

#include "MmlReading.h"
#include "MmlWriter.h"
#include "TextMessages.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/SequenceList.h"
#include "base/Errors.h"

namespace quaverly::mml {

size_t MmlReading::SkipComment(size_t at) const
{
    if (At(at) != '/') {
        return at;
    }
    if (At(at + 1) == '/') {
        const size_t end = m_text.find('\n', at);
        return end == std::string_view::npos ? m_text.size() : end + 1;
    }
    if (At(at + 1) == '*') {
        const size_t end = m_text.find("*/", at + 2);
        return end == std::string_view::npos ? m_text.size() : end + 2;
    }
    return at;
}

void MmlReading::PairBrackets()
{
    std::vector<size_t> open;
    for (size_t at = 0; at < m_text.size();) {
        const size_t after = SkipComment(at);
        if (after != at) {
            at = after;
            continue;
        }
        if (m_text[at] == '[') {
            if (open.size() < MaxRepeatDepth && m_brackets.size() < MaxRepeatPairs) {
                open.push_back(at);
            }
        } else if (m_text[at] == ']' && !open.empty()) {
            m_brackets.emplace_back(open.back(), at);
            open.pop_back();
        } else if (m_text[at] == ';') {
            open.clear();  // a repeat never spans tracks
        }
        ++at;
    }
    std::sort(m_brackets.begin(), m_brackets.end());
}

void MmlReading::NewTrack()
{
    Flush();
    ++m_track;
    m_channel = m_track;
    m_time = 0;
    m_octave = 4;
    m_length = WholeUnits / 4;
    m_gate = 6;
    m_velocity = -1;
    m_volume = -1;
    m_keyShift = 0;
    m_slur = false;
    m_trackOverTime = false;
    m_repeats.clear();
}

void MmlReading::Skip(size_t from, size_t length, std::string_view why)
{
    if (why != TextMsg::SkippedText) {
        FlushSkip();
        m_problems.Add(from, length, why, why == TextMsg::TooMuchWork);
        return;
    }
    if (m_skipLength > 0 && m_skipFrom + m_skipLength == from) {
        m_skipLength += length;
        return;
    }
    FlushSkip();
    m_skipFrom = from;
    m_skipLength = length;
}

void MmlReading::FlushSkip()
{
    if (m_skipLength > 0) {
        m_problems.Add(m_skipFrom, m_skipLength, TextMsg::SkippedText);
        m_skippedBytes += m_skipLength;
        m_skipLength = 0;
    }
}

bool MmlReading::AddNote(const OpenNote& note)
{
    if (m_read.content.notes.size() >= MaxTextMelodyNotes) {
        EndTrackEarly(m_at);
        m_stopped = true;
        return false;
    }
    MidiNote midi;
    midi.on = note.on;
    midi.EndAt(note.on + (note.gate >= 8 ? note.step : (note.step * note.gate + 4) / 8));
    midi.channel = static_cast<uint8_t>(note.channel);
    midi.key = static_cast<uint8_t>(note.key);
    midi.velocity = static_cast<uint8_t>(note.velocity);
    m_read.content.notes.push_back(midi);
    return true;
}

void MmlReading::Flush()
{
    if (m_open) {
        AddNote(*m_open);
        m_open.reset();
    }
}

std::optional<int64_t> MmlReading::Number(bool signedAllowed)
{
    SkipBlanks();
    bool negative = false;
    if (signedAllowed && (At(m_at) == '-' || At(m_at) == '+')) {
        negative = At(m_at) == '-';
        ++m_at;
    }
    const size_t from = m_at;
    int64_t value = 0;
    while (std::isdigit(static_cast<unsigned char>(At(m_at)))) {
        if (m_at - from < 9) {
            value = value * 10 + (m_text[m_at] - '0');
        } else {
            value = INT32_MAX;  // beyond every range
        }
        ++m_at;
    }
    if (m_at == from) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// A length ("8", "4.", "" for the default) in units; -1 when none can be.
int64_t MmlReading::Length(int64_t fallback)
{
    const std::optional<int64_t> number = Number(false);
    int64_t units = fallback;
    if (number && *number > 0) {
        units = *number > WholeUnits ? 0 : (WholeUnits + *number / 2) / *number;
    }
    int64_t added = units;
    for (int dots = 0; At(m_at) == '.'; ++dots, ++m_at) {
        if (dots < MaxDots) {
            added /= 2;
            units += added;
        }
    }
    return units > 0 ? units : -1;
}

void MmlReading::Advance(int64_t units)
{
    m_time += units;
    if (m_time > TrackTimeLimit && !m_trackOverTime) {
        EndTrackEarly(m_at);
    }
}

void MmlReading::EndTrackEarly(size_t start)
{
    m_trackOverTime = true;
    Skip(start, 1, TextMsg::TooMuchWork);
    // On with the next track: a repeat is not taken again.
    m_repeats.clear();
    const size_t next = m_text.find(';', m_at);
    m_at = next == std::string_view::npos ? m_text.size() : next;
}

void MmlReading::OpenRepeat(size_t start)
{
    const auto found = std::lower_bound(m_brackets.begin(), m_brackets.end(), std::make_pair(start, size_t{0}));
    if (found == m_brackets.end() || found->first != start) {
        Skip(start, 1, TextMsg::RepeatUnclosed);
        return;
    }
    size_t after = found->second + 1;
    const size_t countAt = after;
    std::swap(after, m_at);
    const std::optional<int64_t> count = Number(false);
    std::swap(after, m_at);
    if (count && (*count < 1 || *count > MaxRepeats)) {
        Skip(countAt, after - countAt, TextMsg::ValueOutOfRange);
    }
    const int passes = count && *count >= 1 && *count <= MaxRepeats ? static_cast<int>(*count) : DefaultRepeats;
    m_repeats.push_back({start + 1, found->second, passes - 1});
}

void MmlReading::CloseRepeat(size_t start)
{
    if (m_repeats.empty() || m_repeats.back().close != start) {
        Skip(start, 1, TextMsg::RepeatUnopened);
        Number(false);
        return;
    }
    Repeat& repeat = m_repeats.back();
    if (repeat.left > 0) {
        --repeat.left;
        m_at = repeat.bodyStart;
        return;
    }
    m_repeats.pop_back();
    Number(false);
}

void MmlReading::Directive(size_t start)
{
    const size_t end = std::min(m_text.find_first_of("\r\n", start), m_text.size());
    const std::string_view line = m_text.substr(start, end - start);
    std::string head(line.substr(0, 6));
    std::transform(head.begin(), head.end(), head.begin(), [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    if (head == "#TITLE") {
        std::string_view title = line.substr(6);
        while (!title.empty() && (title.front() == ' ' || title.front() == '\t')) {
            title.remove_prefix(1);
        }
        if (m_read.content.title.empty()) {
            m_read.content.title = std::string(title);
        }
    } else {
        Skip(start, end - start);
    }
    m_at = end;
}

TextMelodyRead MmlReading::Run()
{
    static constexpr std::string_view Letters = "cdefgab";
    static constexpr int PitchClasses[] = {0, 2, 4, 5, 7, 9, 11};
    if (m_text.substr(0, 3) == "\xEF\xBB\xBF") {
        m_at = 3;
    }
    bool lineStart = true;
    size_t before = m_at;
    while (m_at < m_text.size() && !m_stopped) {
        // Each piece read costs its bytes, a jump back one: a repeat read again is paid again.
        m_steps += m_at > before ? m_at - before : 1;
        before = m_at;
        if (m_steps > m_stepBudget) {
            FlushSkip();
            m_problems.Add(m_at, 1, TextMsg::TooMuchWork, true);
            break;
        }
        const size_t start = m_at;
        const char c = m_text[m_at];
        const size_t afterComment = SkipComment(m_at);
        if (afterComment != m_at) {
            m_at = afterComment;
            lineStart = true;
            continue;
        }
        if (c == '\n' || c == '\r') {
            lineStart = true;
            ++m_at;
            continue;
        }
        if (IsBlank(c)) {
            ++m_at;
            continue;
        }
        if (c == '#' && lineStart) {
            Directive(start);
            continue;
        }
        lineStart = false;
        ++m_at;
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool commandCase = c == 'B' || c == 'C' || c == 'D' || c == 'E';
        const size_t letter = commandCase ? std::string_view::npos : Letters.find(lower);
        if (m_trackOverTime && c != ';') {
            continue;
        }
        if (letter != std::string_view::npos) {
            FlushSkip();
            Note(start, PitchClasses[letter]);
        } else if (c == ';') {
            FlushSkip();
            if (m_track + 1 >= MaxChannels) {
                Skip(start, m_text.size() - start, TextMsg::ValueOutOfRange);
                break;
            }
            NewTrack();
        } else if (lower == 'r') {
            FlushSkip();
            Rest();
        } else if (lower == 'n') {
            FlushSkip();
            NoteNumber(start);
        } else if (c == '^') {
            FlushSkip();
            Tie();
        } else if (c == '&') {
            FlushSkip();
            m_slur = true;
        } else if (c == '<' || c == '>') {
            FlushSkip();
            const int octave = m_octave + (c == '<' ? 1 : -1);
            if (octave < -1 || octave > 10) {
                Skip(start, 1, TextMsg::ValueOutOfRange);
            } else {
                m_octave = octave;
            }
        } else if (lower == 'l') {
            FlushSkip();
            const int64_t length = Length(-1);
            if (length < 0) {
                Skip(start, m_at - start, TextMsg::ValueOutOfRange);
            } else {
                m_length = length;
            }
        } else if (c == '[') {
            FlushSkip();
            OpenRepeat(start);
        } else if (c == ']') {
            FlushSkip();
            CloseRepeat(start);
        } else if (c == '/' && !m_repeats.empty()) {
            // The last pass leaves the repeat here.
            FlushSkip();
            if (m_repeats.back().left == 0) {
                m_at = m_repeats.back().close + 1;
                m_repeats.pop_back();
                Number(false);
            }
        } else if (c == '?') {
            FlushSkip();
        } else if (Command(start, commandCase ? c : lower)) {
            FlushSkip();
        } else {
            Skip(start, 1);
        }
    }
    FlushSkip();
    Flush();
    std::stable_sort(m_read.content.tempos.begin(), m_read.content.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (m_read.content.tempos.empty()) {
        m_read.content.tempos.emplace_back(0, 500'000u);  // 120 a minute, as mml2smf plays
    }
    m_read.content.header.trackCount = m_track + 1;
    m_read.notes = static_cast<int>(m_read.content.notes.size());
    m_problems.MoveInto(m_read);
    return std::move(m_read);
}

}  // namespace quaverly::mml
