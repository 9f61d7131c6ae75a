// The mail attachment text: the marker line "--B:M",
// CR LF, then the MelodyImage in Base64 in 76-character lines ended by CR LF.
//
// A text taken back may be a whole mail as a person pastes it: headers and
// blank lines before the marker, the lines quoted ("> " before each, once or
// more), a signature after it. The block is found inside it: the first line
// that reads "--B:M" (after its quoting marks and trailing blanks), then the
// lines after it, blank lines right after the marker skipped, up to a blank
// line, a line that starts with "--" (a signature's "-- ", a MIME boundary)
// or the end; a line holding the fill "=" is the last. Each line loses its
// quoting marks and trailing blanks. A text without a marker line is decoded
// whole, as it is. The Base64 decoding itself takes any character; those
// that are not Base64 are counted with the place of the first, so that the
// window can say that the melody may be damaged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>


namespace quaverly {

// Where a character of the pasted text stands: line and column from 1, the
// column counting characters (a two-byte Shift-JIS character is one).
struct MailTextPlace {
    int line = 0;
    int column = 0;
    bool operator==(const MailTextPlace&) const = default;
};

struct MailReading {
    std::string image;           // the decoded bytes
    bool markerFound = false;    // a "--B:M" line was found in the text
    int notBase64 = 0;           // characters of the block that are not Base64
    MailTextPlace firstNotBase64;  // the first of them
    std::string firstCharacter;  // its bytes
};

// The whole mail text of an image.
std::string MakeMailText(std::string_view image);
// The block of the text decoded, and what in it was not Base64.
MailReading ReadMail(std::string_view text);
// The image bytes of a mail text (ReadMail's image).
std::string ReadMailText(std::string_view text);
// The question the window asks before it takes a reading with characters
// that are not Base64 (Shift-JIS).
std::string NotBase64Question(const MailReading& reading);

}  // namespace quaverly
