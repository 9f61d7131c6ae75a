#include "MelodyStore.h"

#include <algorithm>
#include <cstdint>

#include "base/Errors.h"
#include "EventWalk.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "NotationTables.h"

namespace quaverly {

namespace {

constexpr size_t FirstChunkOffset = 13;
constexpr size_t ChunkFrameSize = 6;  // tag and two-byte length
constexpr int DefaultTempo = 125;
constexpr int DefaultVolume = 63;
// A pocket-melody file holds an MLD image behind a header of this size.
constexpr size_t PocketMelodyHeaderSize = 192;
// The most events ListSequence lists. A built melody has at most four voices
// of sixty-fourth notes over the time column, with silent bridging events,
// about 140,000 events; a crafted file of zero-delta events never reaches the
// time limit, and listing it whole would take some 60 bytes of memory for each
// of its bytes (in the list, the view rows and the page texts).
constexpr size_t MaxListedEvents = 1'500'000;

int LowSixBits(int data) { return data & 0x3F; }
int VoiceBits(int data) { return (data >> 6) & 0x03; }

}  // namespace

std::string FindHeaderChunk(std::string_view image, std::string_view tag)
{
    uint32_t headerLength = 0;
    if (!ReadHeaderLength(image, headerLength)) {
        return {};
    }
    const uint64_t headerEnd = 10 + uint64_t{headerLength};
    uint64_t offset = FirstChunkOffset;
    while (offset < headerEnd && offset + ChunkFrameSize <= image.size()) {
        const size_t at = static_cast<size_t>(offset);
        const uint64_t length = (uint64_t{static_cast<unsigned char>(image[at + 4])} << 8) |
                                static_cast<unsigned char>(image[at + 5]);
        if (image.substr(at, 4) == tag) {
            // A chunk cut off by the end of the image gives what it has.
            const size_t dataAt = at + ChunkFrameSize;
            return std::string(image.substr(dataAt, static_cast<size_t>(std::min<uint64_t>(length, image.size() - dataAt))));
        }
        offset += ChunkFrameSize + length;
    }
    return {};
}

void MelodyStore::ClearMelody()
{
    m_sequence.clear();
    m_image.clear();
}

bool MelodyStore::IsMelodyImage() const { return m_image.size() >= 4 && m_image.compare(0, 4, "melo") == 0; }

std::string MelodyStore::HeaderChunk(std::string_view tag) const { return FindHeaderChunk(m_image, tag); }

int MelodyStore::MelodyTempo() const
{
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        if (event.IsControl(0xC3) && event.DataByte() >= 0) {
            return event.DataByte();
        }
        if (event.IsControl(0xC2) && event.DataByte() >= 0) {
            return event.DataByte() / 2;
        }
    }
    return DefaultTempo;
}

std::string MelodyStore::VoiceToneText(int voice) const
{
    // The last setting of each half counts; E1 bits 5..0 all zero means no tone is given.
    int e0 = 0;
    int e1 = 0;
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        const int data = event.DataByte();
        if (data < 0 || VoiceBits(data) != voice) {
            continue;
        }
        if (event.IsControl(0xE0)) {
            e0 = LowSixBits(data);
        } else if (event.IsControl(0xE1)) {
            e1 = LowSixBits(data);
        }
    }
    const int tone = e1 == 0 ? 1 : (e1 & 1) * 64 + e0 + 1;
    const std::string number = std::to_string(tone) + " - ";
    for (const TMLDConst& entry : ToneTable) {
        if (entry.value == tone - 1) {
            return number + std::string(entry.text);
        }
    }
    return number + std::string(InstrumentName(tone));
}

int MelodyStore::VoiceVolume(int voice) const
{
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        const int data = event.DataByte();
        if (event.IsControl(0xE2) && data >= 0 && VoiceBits(data) == voice) {
            return LowSixBits(data);
        }
    }
    return DefaultVolume;
}

void MelodyStore::LoadFFF0Data()
{
    fff0DataSet = false;
    fff0DataHex.clear();
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        if (event.IsControl(0xF0)) {
            fff0DataSet = true;
            static constexpr char Digits[] = "0123456789abcdef";
            fff0DataHex.reserve(event.data.size() * 2);
            for (char c : event.data) {
                const auto byte = static_cast<unsigned char>(c);
                fff0DataHex += Digits[byte >> 4];
                fff0DataHex += Digits[byte & 0x0F];
            }
            return;
        }
    }
}

void MelodyStore::ListSequence()
{
    // Lines are collected first so that a melody too long for the time column,
    // or with too many events, leaves the list as it was.
    SequenceList lines;
    // Room for the longest melody of sixty-fourth notes; more only if it comes.
    lines.reserve(std::min<size_t>(m_image.size() / 3, 4 * (MaxSequenceTime / 3) + 1));
    int64_t time = 0;
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        time += event.delta;
        const bool isEnd = event.IsControl(0xDF);
        if (event.kind != MelodyEventKind::Note && !isEnd) {
            continue;
        }
        if (time > MaxSequenceTime) {
            throw MelodyLimitError(std::string(Msg::MelodyTooLong));
        }
        if (lines.size() >= MaxListedEvents) {
            throw MelodyLimitError(std::string(Msg::MelodyTooManyEvents));
        }
        const int t = static_cast<int>(time);
        lines.push_back(isEnd ? FormatEventLine(t, 0, -1, 0) : FormatEventLine(t, event.voice, event.note, event.gate));
    }
    if (m_sequence.empty()) {
        m_sequence.swap(lines);
    } else {
        m_sequence.insert(m_sequence.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    }
}

void MelodyStore::SaveMelodyFile(const std::string& path) const { WriteWholeFile(path, m_image); }

void MelodyStore::OpenMelodyFile(const std::string& path)
{
    // A failed read must not leave the previous melody looking like the file's.
    m_image.clear();
    std::string bytes = ReadWholeFile(path);
    const size_t skip = UpperExtension(path) == ".PMR" ? std::min(PocketMelodyHeaderSize, bytes.size()) : 0;
    bytes.erase(0, skip);
    m_image = std::move(bytes);
}

std::string ReadMelodyTitle(const std::string& path) { return FindHeaderChunk(ReadWholeFile(path), "titl"); }

}  // namespace quaverly
