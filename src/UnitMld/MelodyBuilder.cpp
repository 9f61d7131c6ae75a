#include "MelodyBuilder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/Errors.h"
#include "base/Messages.h"
#include "SequenceLineFields.h"

namespace quaverly {

namespace {

constexpr uint32_t MaxChunkData = 0xFFFF;   // two-byte chunk lengths
constexpr uint32_t MaxHeaderLength = 0xFFFF;  // two-byte header length H
constexpr uint64_t MaxFileLength = 0xFFFFFFFF;
constexpr int MaxByte = 255;
// The note of silent events of a voice without a sounding note.
constexpr int DefaultSilentNote = 17;
constexpr size_t FFF0DataSize = 41;

// One SequenceList line with its fields read once, so that encoding never
// cuts and converts the same columns twice.
struct TrackLine {
    const std::string* text = nullptr;
    bool raw = false;
    int time = 0;
    int voice = 0;
    int note = 0;
    int gate = 0;  // clamped to what a byte holds
};

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
    if (data.size() > MaxChunkData) {
        throw MelodyLimitError(std::string(Msg::HeaderTextTooLong) + std::string(tag));
    }
    image += tag;
    AppendBigEndian(image, data.size(), 2);
    image += data;
    // H counts from offset 10; the three header bytes come first.
    if (image.size() - 10 > MaxHeaderLength) {
        throw MelodyLimitError(std::string(Msg::HeaderTextTooLong) + std::string(tag));
    }
}

void AppendControl(std::string& out, int code, int data)
{
    out += '\0';
    out += '\xFF';
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
// voice 3 with note 63 would be 0xFF, which opens a control event: it sounds
// as note 62, as the parser spells it.
char NoteStatus(int voice, int note)
{
    int status = (voice & 0x03) * 64 + (note & 0x3F);
    return static_cast<char>(status == 0xFF ? 0xFE : status);
}

TrackLine ReadTrackLine(const std::string& line)
{
    // "%5d" of a time above 99999 pushes every column right: column 6 is then a digit.
    if (line.size() >= 6 && line[5] != ' ') {
        throw MelodyLimitError(std::string(Msg::MelodyTooLong));
    }
    const SequenceLineFields fields = ReadSequenceLineFields(line);
    if (fields.time > MaxSequenceTime) {
        throw MelodyLimitError(std::string(Msg::MelodyTooLong));
    }
    return TrackLine{&line, fields.raw, fields.time, fields.voice, fields.note, std::clamp(fields.gate, 0, MaxByte)};
}

void AppendRawBytes(std::string& out, const std::string& line)
{
    const std::string_view hex = RawLineHex(line);
    auto refuse = [&] {
        throw MelodyLimitError(std::string(Msg::NotHexData) + "'" + std::string(hex.empty() ? line : hex) + "'");
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
void AppendDelta(std::string& out, int delta, int voice, const std::array<int, 4>& firstNote)
{
    delta = std::max(delta, 0);
    while (delta > MaxByte) {
        out += static_cast<char>(MaxByte);
        out += NoteStatus(voice, firstNote[static_cast<size_t>(voice & 0x03)]);
        out += '\0';
        delta -= MaxByte;
    }
    out += static_cast<char>(delta);
}

void AppendEndEvent(std::string& out) { out += std::string_view("\xFF\xDF\x00", 3); }

void AppendFFF0Event(std::string& out, std::string_view hex)
{
    out += std::string_view("\x00\xFF\xF0\x00\x29", 5);
    // Byte k comes from characters 2k-1 and 2k; a missing or invalid pair gives 0.
    for (size_t k = 0; k < FFF0DataSize; ++k) {
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

std::string EncodeTrack(SequenceList& list)
{
    SortSequenceLines(list);
    std::vector<TrackLine> lines;
    lines.reserve(list.size());
    for (const std::string& line : list) {
        lines.push_back(ReadTrackLine(line));
    }

    // Silent events carry the voice's first sounding note (17 without one).
    std::array<int, 4> firstNote{-1, -1, -1, -1};
    for (const TrackLine& line : lines) {
        int& first = firstNote[static_cast<size_t>(line.voice & 0x03)];
        if (!line.raw && line.note != -1 && line.gate != 0 && first == -1) {
            first = line.note;
        }
    }
    for (int& first : firstNote) {
        first = first == -1 ? DefaultSilentNote : first;
    }

    std::string out;
    out.reserve(lines.size() * 3 + 8);
    int prev = 0;  // time of the last note event written
    for (size_t k = 0; k < lines.size(); ++k) {
        const TrackLine& line = lines[k];
        if (line.raw) {
            // Raw bytes go in as written: no delta, and prev stays.
            AppendRawBytes(out, *line.text);
            continue;
        }
        const bool last = k + 1 == lines.size();
        if (line.note == -1) {
            if (last) {
                // The end line of the voice that ends last ends the track.
                AppendDelta(out, line.time - prev, line.voice, firstNote);
                AppendEndEvent(out);
            }
            continue;  // the end of any other voice is no event of the track
        }
        AppendDelta(out, line.time - prev, line.voice, firstNote);
        out += NoteStatus(line.voice, line.gate != 0 ? line.note : firstNote[static_cast<size_t>(line.voice & 0x03)]);
        out += static_cast<char>(line.gate);
        // Times never run backwards in the sorted list unless a line holds a negative time.
        prev = std::max(prev, line.time);
        if (last) {
            // The voice that ends last has no end line (its closing rest was
            // cancelled, its last note has no length, or the events came from
            // elsewhere): the note stays, and the track ends when its gate
            // does, so it sounds whole; its own length is not known here. The
            // end stays within the time column, or the melody would not load.
            AppendDelta(out, std::min(line.gate, MaxSequenceTime - prev), line.voice, firstNote);
            AppendEndEvent(out);
        }
    }
    return out;
}

void BuildMelody(MelodyStore& store, const MelodySettings& settings, const MelodyFileInfo& info)
{
    // Built aside: the store's image is replaced only by a complete one.
    std::string image("melo\0\0\0\0\0\0\x01\x01\x01", 13);
    AppendChunk(image, "sorc", info.sorc ? std::string_view("\x01", 1) : std::string_view("\x00", 1));
    AppendChunk(image, "titl", settings.title);
    if (!info.version.empty()) {
        AppendChunk(image, "vers", info.version);
    }
    if (!info.date.empty()) {
        AppendChunk(image, "date", info.date);
    }
    if (!info.copyright.empty()) {
        AppendChunk(image, "copy", info.copyright);
    }
    PutBigEndian(image, 8, image.size() - 10, 2);

    std::string track("trac\0\0\0\0", 8);
    AppendControl(track, 0xD0, 0x00);
    AppendControl(track, 0xC3, settings.tempo);
    for (int voice = 0; voice < 4; ++voice) {
        const auto i = static_cast<size_t>(voice);
        if (settings.scores[i].empty()) {
            continue;
        }
        const int program = settings.tones[i] - 1;
        AppendControl(track, 0xE0, voice * 64 + (program & 0x3F));
        AppendControl(track, 0xE1, voice * 64 + (0x02 | ((program >> 6) & 0x01)));
    }
    for (int voice = 0; voice < 4; ++voice) {
        const auto i = static_cast<size_t>(voice);
        if (!settings.scores[i].empty()) {
            AppendControl(track, 0xE2, voice * 64 + (settings.volumes[i] & 0x3F));
        }
    }
    if (store.fff0DataSet) {
        AppendFFF0Event(track, store.fff0DataHex);
    }
    track += EncodeTrack(store.Sequence());

    if (image.size() + track.size() - 8 > MaxFileLength) {
        throw MelodyLimitError(std::string(Msg::MelodyTooLong));
    }
    PutBigEndian(track, 4, track.size() - 8, 4);
    image += track;
    PutBigEndian(image, 4, image.size() - 8, 4);
    store.MelodyImage() = std::move(image);
}

}  // namespace quaverly
