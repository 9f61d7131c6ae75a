#include "MidiNoteCollector.h"

#include <algorithm>
#include <cstddef>

namespace quaverly {

namespace {

constexpr int QuaverlyDivision = 480;
constexpr int64_t SetupBarTicks = 1920;
// The writer closes the first voice's track with a note-off of key 72 at the
// melody's end, whether or not that key sounds.
constexpr uint8_t EndMarkerKey = 72;

// The sounding notes of one key of one channel, earliest first (from
// notes[head]), and how many of them are silent notes still waiting for
// their note-off.
struct OpenList {
    size_t slot = 0;  // channel x 128 + key
    std::vector<uint32_t> notes;
    size_t head = 0;
    size_t silent = 0;

    bool Empty() const { return head == notes.size(); }
    uint32_t Front() const { return notes[head]; }
    void PopFront()
    {
        if (++head == notes.size()) {
            notes.clear();
            head = 0;
        }
    }
};

constexpr size_t KeySlots = 16 * 128;

class NoteCollector : public MidiEventSink {
public:
    explicit NoteCollector(MidiContent& content) : m_content(content) {}

    void Header(const MidiHeader& header) override
    {
        m_content.header = header;
        m_division = header.division;
    }

    void TrackStart(int track) override
    {
        m_track = track;
    }

    void Event(int track, const MidiEvent& event) override
    {
        if (event.status == 0xFFu) {
            MetaEvent(track, event);
            return;
        }
        if (event.status >= 0xF0u) {
            return;
        }
        const int channel = event.Channel();
        switch (event.Kind()) {
        case 0x90:
            if (event.data2 != 0) {
                NoteOn(event, channel);
            } else {
                SilentOnOrOff(event, channel);
            }
            break;
        case 0x80:
            if (IsEndMarker(event)) {
                m_content.endMarkerSeen = true;
            } else {
                NoteOff(event, channel);
            }
            break;
        case 0xC0:
            if (m_content.program[static_cast<size_t>(channel)] < 0) {
                m_content.program[static_cast<size_t>(channel)] = event.data1;
            }
            break;
        case 0xB0:
            if (event.data1 == 7 && m_content.channelVolume[static_cast<size_t>(channel)] < 0) {
                m_content.channelVolume[static_cast<size_t>(channel)] = event.data2;
            }
            break;
        default:
            break;
        }
    }

    void TrackEnd(int track, int64_t tick) override
    {
        // Only the keys this track struck: a file of many short tracks stays cheap.
        for (OpenList& open : m_open) {
            for (size_t i = open.head; i < open.notes.size(); ++i) {
                MidiNote& note = m_content.notes[open.notes[i]];
                if (note.velocity == 0 && !m_content.quaverlyLayout) {
                    note.discarded = true;  // never confirmed by a note-off
                } else {
                    note.EndAt(tick);
                    note.hanging = true;
                }
            }
            m_slotIndex[open.slot] = 0;
        }
        m_open.clear();
        if (track == 0) {
            if (m_division == QuaverlyDivision && m_content.header.format == 1 && m_setupAtZero &&
                m_startAfterBar && tick >= SetupBarTicks) {
                m_content.quaverlyLayout = true;
                m_content.melodyEndTick = tick - SetupBarTicks;
            }
        }
    }

private:
    OpenList& OpenNotes(int channel, int key)
    {
        const size_t slot = static_cast<size_t>(channel * 128 + key);
        if (m_slotIndex[slot] == 0) {
            m_open.push_back(OpenList{slot, {}, 0, 0});
            m_slotIndex[slot] = static_cast<uint16_t>(m_open.size());
        }
        return m_open[m_slotIndex[slot] - 1u];
    }

    void MetaEvent(int track, const MidiEvent& event)
    {
        switch (event.data1) {
        case 0x01:
        case 0x03: {
            // A track name before a text, the first track's before another's.
            const int rank = (track == 0 ? 0 : 2) + (event.data1 == 0x03 ? 0 : 1);
            if (rank < m_titleRank) {
                m_content.title = std::string(event.body);
                m_titleRank = rank;
            }
            break;
        }
        case 0x02:
            if (!m_copyrightFound) {
                m_content.copyright = std::string(event.body);
                m_copyrightFound = true;
            }
            break;
        case 0x06:
            if (track == 0 && event.body == "Setup" && event.tick == 0) {
                m_setupAtZero = true;
            }
            if (track == 0 && event.body == "Start" && event.tick == SetupBarTicks) {
                m_startAfterBar = true;
            }
            break;
        case 0x51:
            if (event.body.size() == 3) {
                const auto byte = [&event](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(event.body[i])); };
                m_content.tempos.emplace_back(event.tick, (byte(0) << 16) | (byte(1) << 8) | byte(2));
            }
            break;
        default:
            break;
        }
    }

    bool IsEndMarker(const MidiEvent& event) const
    {
        return m_content.quaverlyLayout && m_track > 0 && event.Channel() == 0 && event.data1 == EndMarkerKey &&
               event.data2 == 0 && event.tick == m_content.melodyEndTick;
    }

    void NoteOn(const MidiEvent& event, int channel)
    {
        OpenList& open = OpenNotes(channel, event.data1);
        DropSilent(open);
        open.notes.push_back(static_cast<uint32_t>(m_content.notes.size()));
        m_content.notes.push_back(MidiNote{event.tick, 0, static_cast<uint8_t>(channel), event.data1, event.data2, false, false});
    }

    // A note-on of velocity 0 is a note-off. When its key does not sound, it
    // may instead start a silent note (this program writes volume 0 that
    // way): such a note counts only when a note-off (8n) ends it, and a
    // sounding note-on of its key shows it was a stray note-off.
    void SilentOnOrOff(const MidiEvent& event, int channel)
    {
        OpenList& open = OpenNotes(channel, event.data1);
        // This program's writer ends every note with 8n: its 9n with velocity 0 always starts one.
        if (!open.Empty() && m_content.notes[open.Front()].velocity != 0 && !m_content.quaverlyLayout) {
            NoteOff(event, channel);
            return;
        }
        open.notes.push_back(static_cast<uint32_t>(m_content.notes.size()));
        ++open.silent;
        m_content.notes.push_back(MidiNote{event.tick, 0, static_cast<uint8_t>(channel), event.data1, 0, false, false});
    }

    void DropSilent(OpenList& open)
    {
        if (m_content.quaverlyLayout || open.silent == 0) {
            return;
        }
        open.notes.erase(open.notes.begin(), open.notes.begin() + static_cast<std::ptrdiff_t>(open.head));
        open.head = 0;
        std::erase_if(open.notes, [this](uint32_t index) {
            MidiNote& note = m_content.notes[index];
            note.discarded = note.velocity == 0;
            return note.discarded;
        });
        open.silent = 0;
    }

    // The earliest sounding note of the key ends: notes struck again end in turn.
    void NoteOff(const MidiEvent& event, int channel)
    {
        OpenList& open = OpenNotes(channel, event.data1);
        if (open.Empty()) {
            return;
        }
        MidiNote& note = m_content.notes[open.Front()];
        note.EndAt(event.tick);
        open.silent -= note.velocity == 0 ? 1 : 0;
        open.PopFront();
    }

    MidiContent& m_content;
    // The keys this track struck, each with its sounding notes; a file of
    // many short tracks, or of few keys, stays cheap.
    std::vector<OpenList> m_open;
    std::array<uint16_t, KeySlots> m_slotIndex{};  // 1 + the slot's place in m_open, 0 for none
    int m_division = 0;
    int m_track = 0;
    int m_titleRank = 4;  // none yet
    bool m_copyrightFound = false;
    bool m_setupAtZero = false;
    bool m_startAfterBar = false;
};

}  // namespace

MidiContent CollectMidiContent(std::string_view bytes, const std::string& name)
{
    MidiContent content;
    // Room for the notes of a file of plain note-on and note-off pairs.
    content.notes.reserve(std::min<size_t>(bytes.size() / 8, MaxMidiEvents / 2));
    NoteCollector collector(content);
    content.header = ReadMidiFile(bytes, name, collector);
    std::stable_sort(content.tempos.begin(), content.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return content;
}

}  // namespace quaverly
