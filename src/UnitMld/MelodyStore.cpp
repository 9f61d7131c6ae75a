#include "MelodyStore.h"

#include <algorithm>
#include <cstdint>

#include "base/Errors.h"
#include "EventWalk.h"
#include "FileKind.h"
#include "MldLayout.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "NotationTables.h"

namespace quaverly {

namespace {

constexpr int DefaultTempo = 125;
constexpr int DefaultVolume = 63;
// The most events ListSequence lists. A built melody has at most four voices
// of sixty-fourth notes over the time column, with silent bridging events,
// about 140,000 events; a crafted file of zero-delta events never reaches the
// time limit, and listing it whole would take some 60 bytes of memory for each
// of its bytes (in the list, the view rows and the page texts).
constexpr size_t MaxListedEvents = 1'500'000;

int LowSixBits(int data) { return data & Mld::NoteBits; }
int VoiceBits(int data) { return (data >> Mld::VoiceShift) & (VoiceCount - 1); }

}  // namespace

std::string FindHeaderChunk(std::string_view image, std::string_view tag)
{
    uint32_t headerLength = 0;
    if (!ReadHeaderLength(image, headerLength)) {
        return {};
    }
    const uint64_t headerEnd = Mld::HeaderBase + uint64_t{headerLength};
    uint64_t offset = Mld::FirstChunkOffset;
    while (offset < headerEnd && offset + Mld::ChunkFrameSize <= image.size()) {
        const size_t at = static_cast<size_t>(offset);
        const uint64_t length = (uint64_t{static_cast<unsigned char>(image[at + 4])} << 8) |
                                static_cast<unsigned char>(image[at + 5]);
        if (image.substr(at, 4) == tag) {
            // A chunk cut off by the end of the image gives what it has.
            const size_t dataAt = at + Mld::ChunkFrameSize;
            return std::string(image.substr(dataAt, static_cast<size_t>(std::min<uint64_t>(length, image.size() - dataAt))));
        }
        offset += Mld::ChunkFrameSize + length;
    }
    return {};
}

void MelodyStore::ClearMelody()
{
    m_sequence.clear();
    m_image.clear();
}

bool MelodyStore::IsMelodyImage() const { return m_image.starts_with(Mld::Magic); }

std::string MelodyStore::HeaderChunk(std::string_view tag) const { return FindHeaderChunk(m_image, tag); }

int MelodyStore::MelodyTempo() const
{
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        if (event.IsControl(Mld::CodeTempo) && event.DataByte() >= 0) {
            return event.DataByte();
        }
        if (event.IsControl(Mld::CodeTempoAlternative) && event.DataByte() >= 0) {
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
        if (event.IsControl(Mld::CodeToneLow)) {
            e0 = LowSixBits(data);
        } else if (event.IsControl(Mld::CodeToneHigh)) {
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
        if (event.IsControl(Mld::CodeVolume) && data >= 0 && VoiceBits(data) == voice) {
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
        if (event.IsControl(Mld::CodeData)) {
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
    // Entries are collected first so that a melody too long for the time
    // column, or with too many events, leaves the list as it was.
    SequenceList lines;
    // Room for the longest melody of sixty-fourth notes; more only if it comes.
    lines.reserve(std::min<size_t>(m_image.size() / 3, 4 * (MaxSequenceTime / 3) + 1));
    int64_t time = 0;
    EventWalk walk(m_image);
    MelodyEvent event;
    while (walk.Next(event)) {
        time += event.delta;
        const bool isEnd = event.IsControl(Mld::CodeEnd);
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
        if (isEnd) {
            lines.AddEvent(t, 0, EndNote, 0);
        } else {
            lines.AddEvent(t, event.voice, event.note, event.gate);
        }
    }
    if (m_sequence.empty()) {
        std::swap(m_sequence, lines);
    } else {
        m_sequence.Append(lines);
    }
}

void MelodyStore::SaveMelodyFile(const std::string& path) const { WriteWholeFile(path, m_image); }

void MelodyStore::OpenMelodyFile(const std::string& path)
{
    // A failed read must not leave the previous melody looking like the file's.
    m_image.clear();
    std::string bytes = ReadWholeFile(path);
    const size_t skip = FileKindOf(path) == FileKind::PocketMelody ? std::min(Mld::PocketMelodyHeaderSize, bytes.size()) : 0;
    bytes.erase(0, skip);
    m_image = std::move(bytes);
}

std::string ReadMelodyTitle(const std::string& path) { return FindHeaderChunk(ReadWholeFile(path), Mld::TitleTag); }

}  // namespace quaverly
