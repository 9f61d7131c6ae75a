#include "RingtoneBook.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr size_t HeaderSize = 19;
constexpr size_t RecordLeadSize = 3;
constexpr int FieldCount = 8;
constexpr int TitleField = 1;
constexpr int ArtistField = 3;
constexpr int MelodyField = 6;
constexpr uint8_t LongLength = 0xFF;
constexpr std::string_view Terminator("\x01\x80", 2);

// Reads the book front to back; every read checks that the bytes are there.
class BookReader {
public:
    explicit BookReader(std::string_view bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_pos >= m_bytes.size(); }

    // Nothing when the book ends before count more bytes.
    std::optional<std::string_view> Take(size_t count)
    {
        if (count > m_bytes.size() - m_pos) {
            return std::nullopt;
        }
        std::string_view taken = m_bytes.substr(m_pos, count);
        m_pos += count;
        return taken;
    }

    // A length byte; 0xFF means the length follows in two bytes, low byte first.
    std::optional<std::string_view> TakeField()
    {
        std::optional<std::string_view> lengthByte = Take(1);
        if (!lengthByte) {
            return std::nullopt;
        }
        size_t length = static_cast<uint8_t>((*lengthByte)[0]);
        if (length == LongLength) {
            std::optional<std::string_view> longLength = Take(2);
            if (!longLength) {
                return std::nullopt;
            }
            length = static_cast<size_t>(static_cast<uint8_t>((*longLength)[0])) |
                     (static_cast<size_t>(static_cast<uint8_t>((*longLength)[1])) << 8);
        }
        return Take(length);
    }

    // Moves past the next terminator; false (and at the end) when there is none.
    bool SkipPastTerminator()
    {
        size_t found = m_bytes.find(Terminator, m_pos);
        if (found == std::string_view::npos) {
            m_pos = m_bytes.size();
            return false;
        }
        m_pos = found + Terminator.size();
        return true;
    }

private:
    std::string_view m_bytes;
    size_t m_pos = 0;
};

// Text fields end at their first zero byte, if they have one.
std::string FieldText(std::string_view field)
{
    return std::string(field.substr(0, field.find('\0')));
}

}  // namespace

std::vector<RingtoneSong> ReadRingtoneBook(std::string_view bytes)
{
    std::vector<RingtoneSong> songs;
    auto fail = [&songs]() { return RingtoneBookError(std::string(Msg::FileEndsInRecord), songs); };

    BookReader reader(bytes);
    if (reader.AtEnd()) {
        return songs;
    }
    if (!reader.Take(HeaderSize)) {
        throw fail();
    }
    while (!reader.AtEnd()) {
        if (!reader.Take(RecordLeadSize)) {
            throw fail();
        }
        RingtoneSong song;
        for (int field = 1; field <= FieldCount; ++field) {
            std::optional<std::string_view> data = reader.TakeField();
            if (!data) {
                throw fail();
            }
            if (field == TitleField) {
                song.title = FieldText(*data);
            } else if (field == ArtistField) {
                song.artist = FieldText(*data);
            } else if (field == MelodyField) {
                song.melody = FieldText(*data);
            }
        }
        songs.push_back(std::move(song));
        // The terminator is searched for, not expected right after the fields;
        // a record without one runs to the end of the book and ends the reading.
        if (!reader.SkipPastTerminator()) {
            break;
        }
    }
    return songs;
}

}  // namespace quaverly
