// The reader of ringtone-book files (".ktm"): a 19-byte header, then song
// records of 3 bytes, eight length-prefixed fields and the terminator 01 80.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Errors.h"

namespace quaverly {

struct RingtoneSong {
    std::string title;   // field 1, cut at its first zero byte
    std::string artist;  // field 3
    std::string melody;  // field 6: score text for a voice page
};

// A ringtone book that ends inside its header or inside a record.
class RingtoneBookError : public QuaverlyError {
public:
    RingtoneBookError(const std::string& message, std::vector<RingtoneSong> songsSoFar)
        : QuaverlyError(message), m_songs(std::move(songsSoFar)) {}
    const std::vector<RingtoneSong>& SongsSoFar() const { return m_songs; }

private:
    std::vector<RingtoneSong> m_songs;
};

// The songs of the file's bytes. A file that ends inside the header or a
// record throws RingtoneBookError, which carries the songs read so far.
std::vector<RingtoneSong> ReadRingtoneBook(std::string_view bytes);

}  // namespace quaverly
