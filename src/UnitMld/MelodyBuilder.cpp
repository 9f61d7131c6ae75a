#include "MelodyBuilder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/Errors.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"
#include "MldLayout.h"
#include "NoteRules.h"
#include "SequenceText.h"

namespace quaverly {

namespace {

// Two-byte header length H; a chunk's own two-byte length is never more, as
// its data is part of the header.
constexpr uint32_t MaxHeaderLength = MaxHeaderTextBytes;
constexpr uint64_t MaxFileLength = 0xFFFFFFFF;
constexpr int MaxByte = 255;

void AppendBigEndian(std::string& out, uint64_t value, int size)
{
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void PutBigEndian(std::string& out, size_t offset, uint64_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        out[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * (size - 1 - i))) & 0xFF);
    }
}

void AppendChunk(std::string& image, std::string_view tag, std::string_view data)
{
    // H counts the three format bytes and every chunk before: a header that
    // holds this chunk whole fits H's two bytes, and then so does the chunk's length.
    if (image.size() + Mld::ChunkFrameSize + data.size() - Mld::HeaderBase > MaxHeaderLength) {
        throw MelodyLimitError(HeaderTextTooLongMessage(tag));
    }
    image += tag;
    AppendBigEndian(image, data.size(), 2);
    image += data;
}

void AppendControl(std::string& out, int code, int data)
{
    out += '\0';
    out += static_cast<char>(Mld::ControlStatus);
    out += static_cast<char>(code);
    out += static_cast<char>(data & 0xFF);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Status byte of a note event. Voice and note are masked to their bits, and
// a note above the voice's highest (0xFF opens a control event, 0x7F a
// resource event to other readers) sounds as that highest, as the parser spells it.
char NoteStatus(int voice, int note)
{
    const int bits = voice & (VoiceCount - 1);
    const int status = bits << Mld::VoiceShift | std::min(note & Mld::NoteBits, Mld::HighestNoteOfVoice(bits));
    return static_cast<char>(status);
}

void AppendRawBytes(std::string& out, const SequenceList& list, const SequenceEntry& entry)
{
    const std::string_view hex = list.RawText(entry);
    auto refuse = [&] {
        // Data that is not there at all is named by its whole line.
        const std::string named = hex.empty() ? FormatSequenceLine(list, entry) : std::string(hex);
        throw MelodyLimitError(std::string(Msg::NotHexData) + "'" + named + "'");
    };
    if (hex.empty()) {
        refuse();
    }
    // An odd last character is read as a one-digit number.
    for (size_t i = 0; i < hex.size(); i += 2) {
        int value = 0;
        for (size_t j = i; j < std::min(i + 2, hex.size()); ++j) {
            int digit = HexDigit(hex[j]);
            if (digit < 0) {
                refuse();
            }
            value = value * 16 + digit;
        }
        out += static_cast<char>(value);
    }
}

// Deltas are single bytes: a longer gap needs silent events in between, here
// of the voice of the event that follows, so the melody keeps its timing.
void AppendDelta(std::string& out, int delta, int voice, int silentNote)
{
    delta = std::max(delta, 0);
    while (delta > MaxByte) {
        out += static_cast<char>(MaxByte);
        out += NoteStatus(voice, silentNote);
        out += '\0';
        delta -= MaxByte;
    }
    out += static_cast<char>(delta);
}

// The end event's delta comes before it.
void AppendEndEvent(std::string& out)
{
    out += static_cast<char>(Mld::ControlStatus);
    out += static_cast<char>(Mld::CodeEnd);
    out += '\0';
}

void AppendFFF0Event(std::string& out, std::string_view hex)
{
    out += '\0';
    out += static_cast<char>(Mld::ControlStatus);
    out += static_cast<char>(Mld::CodeData);
    AppendBigEndian(out, Mld::DataEventSize, 2);
    // Byte k (from 0) comes from characters 2k and 2k + 1; a missing or invalid pair gives 0.
    for (size_t k = 0; k < Mld::DataEventSize; ++k) {
        int value = 0;
        if (2 * k + 1 < hex.size()) {
            int high = HexDigit(hex[2 * k]);
            int low = HexDigit(hex[2 * k + 1]);
            if (high >= 0 && low >= 0) {
                value = high * 16 + low;
            }
        }
        out += static_cast<char>(value);
    }
}

}  // namespace

namespace {

// Writes the event bytes of a track into the image through a pointer: a
// maximal melody has some 400,000 of them, and appending each byte alone
// checks the room every time. The image grows by doubling, and is cut to
// what was written at the end.
class TrackWriter {
public:
    explicit TrackWriter(std::string& out) : m_out(out), m_used(out.size()) {}
    ~TrackWriter() { m_out.resize(m_used); }
    TrackWriter(const TrackWriter&) = delete;
    TrackWriter& operator=(const TrackWriter&) = delete;

    // Room for count more bytes.
    void Reserve(size_t count)
    {
        if (m_out.size() - m_used < count) {
            m_out.resize(std::max(m_used + count, m_out.size() * 2));
        }
    }
    // Delta bytes (with the silent events that bridge a gap above 255 ticks) then the two of a note event.
    void PutEvent(int delta, int voice, int silentNote, char status, char gate)
    {
        delta = std::max(delta, 0);
        Reserve(static_cast<size_t>(delta / MaxByte) * 3 + 3);
        // Through a local pointer: a byte written through the string's own
        // would make the compiler read its size and data again after each.
        char* at = m_out.data() + m_used;
        while (delta > MaxByte) {
            *at++ = static_cast<char>(MaxByte);
            *at++ = NoteStatus(voice, silentNote);
            *at++ = '\0';
            delta -= MaxByte;
        }
        at[0] = static_cast<char>(delta);
        at[1] = status;
        at[2] = gate;
        m_used = static_cast<size_t>(at + 3 - m_out.data());
    }
    // The bytes written so far go to out, for the appenders that take a string.
    std::string& Flushed()
    {
        m_out.resize(m_used);
        return m_out;
    }
    void Resume() { m_used = m_out.size(); }

private:
    std::string& m_out;
    size_t m_used;
};

// Silent events carry their voice's first sounding note in the list (17
// without one). It is looked for from where it is first needed: no sounding
// note of the voice came before, so the first from there on is the first.
class SilentNotes {
public:
    explicit SilentNotes(const SequenceList& list) : m_list(list) {}

    // A sounding note of the voice, met in the order of the list.
    void Sounded(int voice, int note)
    {
        int& known = m_notes[static_cast<size_t>(voice & (VoiceCount - 1))];
        if (known == Unknown) {
            known = note;
        }
    }
    // The note of the voice's silent events; from: the entry being written.
    int Of(int voice, size_t from)
    {
        int& known = m_notes[static_cast<size_t>(voice & (VoiceCount - 1))];
        for (size_t k = from; known == Unknown && k < m_list.size(); ++k) {
            const SequenceEntry entry = m_list[k];
            if ((entry.Voice() & (VoiceCount - 1)) == (voice & (VoiceCount - 1)) && Sounds(entry)) {
                known = entry.Note();
            }
        }
        if (known == Unknown) {
            known = RestNote;  // a voice without a sounding note
        }
        return known;
    }
    static bool Sounds(const SequenceEntry& entry)
    {
        return !entry.IsRaw() && !entry.IsEnd() && std::clamp(entry.Gate(), 0, MaxByte) != 0;
    }

private:
    static constexpr int Unknown = -1;
    const SequenceList& m_list;
    std::array<int, VoiceCount> m_notes{Unknown, Unknown, Unknown, Unknown};
};

// One walk of the sorted list writes the events. A time outside the time
// column refuses the melody; what was written of it is dropped with the image.
void AppendTrackEvents(std::string& out, SequenceList& list, DiagnosticSink* diagnostics)
{
    list.Sort();
    SilentNotes silentNotes(list);
    TrackWriter writer(out);
    writer.Reserve(list.size() * 3 + 8);
    int prev = 0;  // time of the last note event written
    for (size_t k = 0; k < list.size(); ++k) {
        const SequenceEntry& entry = list[k];
        const int time = entry.Time();
        if (time > MaxSequenceTime || time < LowestSequenceTime) {
            throw MelodyLimitError(MelodyTooLongMessage());
        }
        if (entry.IsRaw()) {
            // Raw bytes go in as written: no delta, and prev stays.
            AppendRawBytes(writer.Flushed(), list, entry);
            writer.Resume();
            continue;
        }
        const int voice = entry.Voice();
        const bool last = k + 1 == list.size();
        if (entry.IsEnd()) {
            if (last) {
                // The end event of the voice that ends last ends the track.
                const int delta = time - prev;
                AppendDelta(writer.Flushed(), delta, voice, delta > MaxByte ? silentNotes.Of(voice, k) : 0);
                AppendEndEvent(out);
                writer.Resume();
            }
            continue;  // the end of any other voice is no event of the track
        }
        const int gate = std::clamp(entry.Gate(), 0, MaxByte);
        // Only what came from a page can be shown where it was typed.
        if (diagnostics != nullptr && entry.Source().IsSet()) {
            if (time - prev > MaxByte) {
                diagnostics->AddQuotingPage(DiagnosticKind::ValueMended, entry.Source(), Msg::DiagnosticGapBridged);
            }
            if (entry.Gate() > MaxByte) {
                diagnostics->AddQuotingPage(DiagnosticKind::ValueMended, entry.Source(), Msg::DiagnosticGateClamped);
            }
        }
        if (gate != 0) {
            silentNotes.Sounded(voice, entry.Note());
        }
        const int silentNote = gate == 0 || time - prev > MaxByte ? silentNotes.Of(voice, k) : 0;
        writer.PutEvent(time - prev, voice, silentNote, NoteStatus(voice, gate != 0 ? entry.Note() : silentNote),
                        static_cast<char>(gate));
        // Times never run backwards in the sorted list unless an entry holds a negative time.
        prev = std::max(prev, time);
        if (last) {
            // The voice that ends last has no end event (its closing rest was
            // cancelled, its last note has no length, or the events came from
            // elsewhere): the note stays, and the track ends when its gate
            // does, so it sounds whole; its own length is not known here. The
            // end stays within the time column, or the melody would not load.
            const int delta = std::min(gate, MaxSequenceTime - prev);
            AppendDelta(writer.Flushed(), delta, voice, delta > MaxByte ? silentNotes.Of(voice, k) : 0);
            AppendEndEvent(out);
            writer.Resume();
        }
    }
}

}  // namespace

std::string EncodeTrack(SequenceList& list, DiagnosticSink* diagnostics)
{
    std::string out;
    AppendTrackEvents(out, list, diagnostics);
    return out;
}

void BuildMelody(MelodyStore& store, const MelodySettings& settings, const MelodyFileInfo& info,
                 DiagnosticSink* diagnostics)
{
    // Built aside: the store's image is replaced only by a complete one.
    std::string image(Mld::Magic);
    image.resize(Mld::HeaderBase, '\0');  // L and H come when they are known
    image += Mld::FormatBytes;
    AppendChunk(image, Mld::ProtectTag, info.sorc ? std::string_view("\x01", 1) : std::string_view("\x00", 1));
    AppendChunk(image, Mld::TitleTag, settings.title);
    if (!info.version.empty()) {
        AppendChunk(image, Mld::VersionTag, info.version);
    }
    if (!info.date.empty()) {
        AppendChunk(image, Mld::DateTag, info.date);
    }
    if (!info.copyright.empty()) {
        AppendChunk(image, Mld::CopyrightTag, info.copyright);
    }
    PutBigEndian(image, Mld::HeaderLengthOffset, image.size() - Mld::HeaderBase, 2);

    // The track follows in the same buffer: the image is never held twice.
    const size_t trackAt = image.size();
    image += Mld::TrackTag;
    image.resize(trackAt + Mld::TrackFrameSize, '\0');  // the track length comes last
    AppendControl(image, Mld::CodeTimebase, 0x00);
    AppendControl(image, Mld::CodeTempo, settings.tempo);
    auto voiceBits = [](int voice) { return voice << Mld::VoiceShift; };
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice);
        if (settings.scores[i].empty()) {
            continue;
        }
        const int program = settings.tones[i] - 1;
        AppendControl(image, Mld::CodeToneLow, voiceBits(voice) + (program & Mld::NoteBits));
        AppendControl(image, Mld::CodeToneHigh, voiceBits(voice) + (0x02 | ((program >> 6) & 0x01)));
    }
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice);
        if (!settings.scores[i].empty()) {
            AppendControl(image, Mld::CodeVolume, voiceBits(voice) + (settings.volumes[i] & Mld::NoteBits));
        }
    }
    if (store.fff0DataSet) {
        AppendFFF0Event(image, store.fff0DataHex);
    }
    AppendTrackEvents(image, store.Sequence(), diagnostics);

    if (image.size() - 8 > MaxFileLength) {
        throw MelodyLimitError(MelodyTooLongMessage());
    }
    PutBigEndian(image, trackAt + 4, image.size() - trackAt - Mld::TrackFrameSize, 4);
    PutBigEndian(image, Mld::FileLengthOffset, image.size() - 8, 4);
    store.MelodyImage() = std::move(image);
}

}  // namespace quaverly
