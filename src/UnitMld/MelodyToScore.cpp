#include "MelodyToScore.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "MelodyControls.h"
#include "MldLayout.h"
#include "NotationTables.h"
#include "ScoreParser.h"

namespace quaverly {

namespace {

// 「●」: every rest is written with this head.
constexpr std::string_view RestHead = "\x81\x9C";
// Room made ahead for each event of a voice: a name and a length take 4 to 8 bytes.
constexpr size_t ExpectedBytesPerEvent = 8;

// A piece of a page short enough to be copied as a whole block of Capacity
// bytes (the bytes past its size are zero), which is faster than copying
// a text of some length.
struct ShortPiece {
    static constexpr size_t Capacity = 16;
    std::array<char, Capacity> bytes{};
    size_t size = 0;

    static bool Fits(std::string_view text) { return text.size() <= Capacity; }
    void Assign(std::string_view text)
    {
        bytes.fill(0);
        std::copy(text.begin(), text.end(), bytes.begin());
        size = text.size();
    }
};

// The canonical names of the notes 0..63 as short pieces.
const std::array<ShortPiece, 64>& NotePieces()
{
    static const std::array<ShortPiece, 64> pieces = [] {
        std::array<ShortPiece, 64> made{};
        for (int note = 0; note < 64; ++note) {
            made[static_cast<size_t>(note)].Assign(NoteName(note));
        }
        return made;
    }();
    return pieces;
}

// A voice page's text as it grows. The longest melody has some 33,000 notes
// to a page, each of two pieces of a few bytes: they are copied into room
// made ahead, not appended one call at a time.
class PageText {
public:
    explicit PageText(size_t expectedBytes) { m_text.resize(expectedBytes); }

    void Add(const ShortPiece& piece)
    {
        MakeRoom(ShortPiece::Capacity);
        std::memcpy(m_text.data() + m_size, piece.bytes.data(), ShortPiece::Capacity);
        m_size += piece.size;
    }

    void Add(std::string_view piece)
    {
        MakeRoom(piece.size());
        std::memcpy(m_text.data() + m_size, piece.data(), piece.size());
        m_size += piece.size();
    }

    std::string Take()
    {
        m_text.resize(m_size);
        // A voice with far fewer events than expected gives back its room.
        if (m_text.capacity() > 2 * m_size + 2 * ShortPiece::Capacity) {
            m_text.shrink_to_fit();
        }
        return std::move(m_text);
    }

private:
    void MakeRoom(size_t bytes)
    {
        if (m_text.size() - m_size < bytes) {
            m_text.resize(std::max(m_text.size() * 2, m_size + bytes));
        }
    }

    std::string m_text;
    size_t m_size = 0;
};

struct PendingEvent {
    int note = 0;  // 0 with gate 0: nothing yet
    int gate = 0;
    int start = 0;
};

// One voice's way through the sorted list. A melody repeats a few lengths
// and articulations: the spelling of the last one (length and suffix of a
// note, or a rest whole) is kept and reused while they repeat.
class VoicePage {
public:
    VoicePage(size_t expectedEvents, const std::array<ShortPiece, 64>& notePieces)
        : m_text(expectedEvents * ExpectedBytesPerEvent + ShortPiece::Capacity), m_notePieces(notePieces)
    {
    }

    PendingEvent pending;
    bool found = false;
    bool ended = false;

    void EmitPending(int duration)
    {
        if (pending.gate == 0 && duration == 0) {
            return;
        }
        if (duration != m_spelledDuration || pending.gate != m_spelledGate) {
            Respell(duration, pending.gate);
        }
        if (pending.gate != 0) {
            // The name's text clamps the note as NoteName does.
            m_text.Add(m_notePieces[static_cast<size_t>(std::clamp(pending.note, 0, 63))]);
        }
        if (m_shortSpelling) {
            m_text.Add(m_spellingPiece);
        } else {
            m_text.Add(m_spelling);
        }
    }

    std::string Take() { return m_text.Take(); }

private:
    void Respell(int duration, int gate)
    {
        m_spelledDuration = duration;
        m_spelledGate = gate;
        m_spelling.clear();
        if (gate == 0) {
            m_spelling += RestHead;
            AppendDurationText(m_spelling, duration);
        } else {
            AppendDurationText(m_spelling, duration);
            m_spelling += GateSuffix(duration, gate);
        }
        m_shortSpelling = ShortPiece::Fits(m_spelling);
        if (m_shortSpelling) {
            m_spellingPiece.Assign(m_spelling);
        }
    }

    PageText m_text;
    const std::array<ShortPiece, 64>& m_notePieces;
    int m_spelledDuration = -1;
    int m_spelledGate = -1;
    std::string m_spelling;
    bool m_shortSpelling = false;
    ShortPiece m_spellingPiece;
};

bool IsVoice(int voice) { return voice >= 0 && voice < VoiceCount; }

}  // namespace

std::array<std::string, VoiceCount> VoiceScoreTexts(SequenceList& list)
{
    list.Sort();
    // Room for an even share of the list; a voice with more grows, one with fewer gives back.
    const size_t share = list.size() / VoiceCount + 1;
    const std::array<ShortPiece, 64>& notePieces = NotePieces();
    // One pass for all four voices; each follows its own lines only.
    std::array<VoicePage, VoiceCount> voices{VoicePage(share, notePieces), VoicePage(share, notePieces),
                                             VoicePage(share, notePieces), VoicePage(share, notePieces)};
    int time = 0;
    for (const SequenceEntry& entry : list) {
        time = entry.Time();
        const int voice = entry.Voice();
        if (!IsVoice(voice) || voices[static_cast<size_t>(voice)].ended) {
            continue;
        }
        VoicePage& page = voices[static_cast<size_t>(voice)];
        if (entry.IsRaw()) {
            continue;  // raw bytes have no note and no length
        }
        page.EmitPending(time - page.pending.start);
        if (entry.IsEnd()) {
            // The voice ends at its end line. An end line alone (the track's
            // end, listed on voice 0) does not make a voice with no event of its own.
            page.ended = true;
            continue;
        }
        page.found = true;
        page.pending = PendingEvent{entry.Note(), entry.Gate(), time};
    }
    std::array<std::string, VoiceCount> texts;
    for (size_t i = 0; i < voices.size(); ++i) {
        VoicePage& page = voices[i];
        if (!page.ended) {
            // The last event lasts until the last line of the whole list.
            page.EmitPending(time - page.pending.start);
        }
        if (page.found) {
            texts[i] = page.Take();
        }
    }
    return texts;
}

std::string VoiceScoreText(SequenceList& list, int voice)
{
    if (voice < 0 || voice > 3) {
        return {};
    }
    return std::move(VoiceScoreTexts(list)[static_cast<size_t>(voice)]);
}

void FillSequenceView(const SequenceList& list, std::vector<SequenceRow>& rows)
{
    rows.reserve(rows.size() + list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        const SequenceEntry& entry = list[k];
        if (entry.IsRaw()) {
            std::string data = "/";
            data += list.RawText(entry);
            data += '/';
            rows.push_back({std::to_string(entry.Time()), std::to_string(entry.Voice()), std::string{}, data});
            continue;
        }
        if (entry.IsEnd() && k + 1 != list.size()) {
            continue;
        }
        rows.push_back({std::to_string(entry.Time()), std::to_string(entry.Voice()), std::to_string(entry.Note()),
                        std::to_string(entry.Gate())});
    }
}

std::optional<EditorFields> LoadMelodyIntoEditor(MelodyStore& store, MelodyFileInfo& info, ViewRows rows)
{
    if (!store.IsMelodyImage()) {
        return std::nullopt;
    }
    // The listing goes first: it is the one step that can refuse (a melody
    // longer than the time column), and it then has changed nothing.
    // The same walk reads the tempo, every voice's tone and volume and the FF F0 data.
    const MelodyControls controls = store.ListSequenceAndControls();

    info.copyright = store.HeaderChunk("copy");
    info.date = store.HeaderChunk("date");
    const std::string sorc = store.HeaderChunk("sorc");
    info.sorc = !sorc.empty() && (static_cast<unsigned char>(sorc[0]) & 0x01) != 0;

    EditorFields fields;
    fields.title = store.HeaderChunk("titl");
    store.LoadFFF0Data(controls);
    if (rows == ViewRows::Fill) {
        FillSequenceView(store.Sequence(), fields.sequenceRows);
    }
    fields.tempoText = std::to_string(controls.tempo);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice);
        fields.toneTexts[i] = VoiceToneText(controls, voice);
        fields.volumeTexts[i] = std::to_string(VoiceVolume(controls, voice));
    }
    fields.scoreTexts = VoiceScoreTexts(store.Sequence());
    return fields;
}

}  // namespace quaverly
