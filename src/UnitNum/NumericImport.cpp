#include "NumericImport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/Errors.h"
#include "base/IntegerReading.h"
#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/OwnText.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr int ImportTempo = 125;
// Numeric text counts MIDI keys (MidiNoteOffset below note 0).
constexpr int HighestChannel = 3;
// Lengths count 480 ticks to the quarter, melody times 48.
constexpr int LengthPerTick = 10;
// A note sounds two ticks shorter than its step.
constexpr int GateShortening = 2;
constexpr int EndOfPart = -1;

// Splits at CR LF, LF or CR alike, whichever tool wrote the text.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit)
{
    size_t start = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c != '\r' && c != '\n') {
            ++pos;
            continue;
        }
        visit(text.substr(start, pos - start));
        pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        start = pos;
    }
    if (start < text.size()) {
        visit(text.substr(start));
    }
}

// Numeric text is decimal: an optional sign and digits. The hexadecimal forms
// a typed field accepts ("$1E0", "x48", "0x48") are no numbers here.
bool IsDecimal(std::string_view text)
{
    const size_t first = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    return first < text.size() &&
           text.find_first_not_of("0123456789", first) == std::string_view::npos;
}

// A field trimmed of blanks and control characters; not an integer names the whole line.
int32_t ReadField(std::string_view field, std::string_view line)
{
    const std::string_view trimmed = TrimBlanks(field);
    if (IsDecimal(trimmed)) {
        if (std::optional<int32_t> value = ReadInteger(trimmed)) {
            return *value;
        }
    }
    throw ConversionError(TrimBlanks(line));
}

// Collects the event lines of the records, with one running time that each
// channel's closing record sends back to 0.
class NumericLines {
public:
    void AddRecord(std::string_view line)
    {
        if (line.empty() || line.front() == '!' || line.front() == '@') {
            return;
        }
        const size_t firstComma = line.find(',');
        if (firstComma == std::string_view::npos) {
            return;
        }
        const std::string_view rest = line.substr(firstComma + 1);
        const size_t secondComma = rest.find(',');
        const std::string_view lengthText = rest.substr(0, secondComma);
        const std::string_view channelText =
            secondComma == std::string_view::npos ? std::string_view{} : rest.substr(secondComma + 1);

        const int64_t note = ReadField(line.substr(0, firstComma), line);
        const int32_t length = ReadField(lengthText, line);
        const int channel = std::max(ReadField(channelText, line), 0);
        if (channel > HighestChannel) {
            throw QuaverlyError(std::string(Msg::ChannelOutOfRange) + std::string(TrimBlanks(line)));
        }

        if (length == EndOfPart) {
            Append(channel, -1, 0);
            m_time = 0;
            return;
        }
        const int64_t step = length / LengthPerTick;
        const int64_t highest = Mld::HighestNoteOfVoice(static_cast<int>(channel));
        const int melodyNote = static_cast<int>(std::clamp<int64_t>(note - MidiNoteOffset, 0, highest));
        // A length under 30 ticks gives a step under the shortening; the note
        // then sounds for the difference rather than a negative time.
        Append(channel, melodyNote, std::abs(step - GateShortening));
        // A negative length never moves the time back before the start.
        m_time = std::max<int64_t>(m_time + step, 0);
    }

    SequenceList Finish()
    {
        Append(0, -1, 0);
        return std::move(m_lines);
    }

private:
    void Append(int channel, int note, int64_t gate)
    {
        // The time column holds five digits.
        if (m_time > MaxSequenceTime) {
            throw MelodyLimitError(MelodyTooLongMessage());
        }
        m_lines.AddEvent(static_cast<int>(m_time), channel, note, static_cast<int>(gate));
    }

    SequenceList m_lines;
    int64_t m_time = 0;
};

}  // namespace

int ImportNumericText(MelodyStore& store, std::string_view text)
{
    // The lines are collected apart, so a refused text leaves the store as it was.
    SequenceList lines;
    try {
        NumericLines records;
        ForEachLine(text, [&records](std::string_view line) { records.AddRecord(line); });
        lines = records.Finish();
    } catch (...) {
        store.Sequence().clear();
        throw;
    }

    MelodySettings settings;
    settings.title.clear();
    settings.tempo = ImportTempo;
    settings.tones = {1, 1, 1, 1};
    settings.volumes = {63, 63, 63, 63};
    // A blank score marks every voice as used, so each gets its tone and volume.
    settings.scores = {" ", " ", " ", " "};
    MelodyFileInfo info;
    info.version = "0100";
    info.copyright.clear();
    info.date.clear();
    info.sorc = false;

    store.Sequence() = std::move(lines);
    // The image is what the builder makes of the lines, as other tools that
    // read numeric text make it: every voice with its tone and volume, also
    // one without notes, and the end event, also of an empty text. The pages
    // then show its score text; an analysis compiles that text anew.
    try {
        BuildMelody(store, settings, info);
    } catch (...) {
        store.Sequence().clear();
        throw;
    }
    store.Sequence().clear();
    return ImportTempo;
}

}  // namespace quaverly
