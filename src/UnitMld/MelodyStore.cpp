#include "MelodyStore.h"

#include <algorithm>
#include <cstdint>

#include "MelodyOrigin.h"
#include "UnitMfi/MfiMelody.h"
#include "base/Errors.h"
#include "EventWalk.h"
#include "FileKind.h"
#include "MelodyControls.h"
#include "MldLayout.h"
#include "base/FileIO.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

// The most events ListSequence lists (MaxListedEvents). A built melody has at
// most four voices of sixty-fourth notes over the time column, with silent
// bridging events, about 140,000 events; a crafted file of zero-delta events
// never reaches the time limit, and listing it whole would take some 60 bytes
// of memory for each of its bytes (in the list, the view rows and the page texts).

}  // namespace

std::string FindHeaderChunk(std::string_view image, std::string_view tag)
{
    HeaderChunkWalk walk(image);
    HeaderChunk chunk;
    while (walk.Next(chunk)) {
        if (chunk.tag == tag) {
            // A chunk cut off by the end of the image gives what it has.
            return std::string(chunk.data);
        }
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

int MelodyStore::MelodyTempo() const { return ReadMelodyControls(m_image).tempo; }

std::string MelodyStore::VoiceToneText(int voice) const
{
    return quaverly::VoiceToneText(ReadMelodyControls(m_image), voice);
}

int MelodyStore::VoiceVolume(int voice) const { return quaverly::VoiceVolume(ReadMelodyControls(m_image), voice); }

void MelodyStore::LoadFFF0Data() { LoadFFF0Data(ReadMelodyControls(m_image)); }

void MelodyStore::LoadFFF0Data(const MelodyControls& controls)
{
    fff0DataSet = controls.hasData;
    fff0DataHex = DataHexText(controls.data);
}

void MelodyStore::ListSequence() { ListEvents(nullptr); }

MelodyControls MelodyStore::ListSequenceAndControls()
{
    MelodyControlsReader controls;
    ListEvents(&controls);
    return controls.Controls();
}

void MelodyStore::ListEvents(MelodyControlsReader* controls)
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
        if (event.kind != MelodyEventKind::Note) {
            if (controls != nullptr) {
                controls->Read(event);
            }
            if (!isEnd) {
                continue;
            }
        }
        if (time > MaxSequenceTime) {
            throw MelodyLimitError(MelodyTooLongMessage());
        }
        if (lines.size() >= MaxListedEvents) {
            throw MelodyLimitError(MelodyTooManyEventsMessage());
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

void RequireMelodyImage(std::string_view image, const std::string& destination)
{
    // "melo" and the length that follows it are the least a melody file holds.
    if (!image.starts_with(Mld::Magic) || image.size() < Mld::Magic.size() + 4) {
        throw QuaverlyError(std::string(Msg::NoMelodyToWrite) + destination);
    }
}

void MelodyStore::SaveMelodyFile(const std::string& path) const
{
    RequireMelodyImage(m_image, path);
    WriteWholeFile(path, m_image);
}

void MelodyStore::OpenMelodyFile(const std::string& path)
{
    // A failed read must not leave the previous melody looking like the file's.
    m_image.clear();
    std::string bytes = ReadWholeFile(path, MaxMelodyFileSize);
    const size_t skip = FileKindOf(path) == FileKind::PocketMelody ? std::min(Mld::PocketMelodyHeaderSize, bytes.size()) : 0;
    bytes.erase(0, skip);
    m_image = std::move(bytes);
}

std::string ReadMelodyTitle(const std::string& path)
{
    // The header chunks end where the two-byte header length says, so no
    // title of this program's files lies further in than this. A melody of
    // another maker may count only its type bytes there: its chunks are
    // walked up to its first track instead, within the same prefix.
    constexpr size_t LongestHeader = Mld::HeaderBase + 0xFFFF;
    const std::string bytes = ReadFilePrefix(path, LongestHeader);
    return IsForeignMelodyImage(bytes) ? MfiInfoChunk(bytes, Mld::TitleTag) : FindHeaderChunk(bytes, Mld::TitleTag);
}

}  // namespace quaverly
