#include "MailText.h"

#include <vector>

#include "base/MessageFormat.h"
#include "base/Messages.h"
#include "jconvert/Base64.h"

namespace quaverly {

namespace {

constexpr std::string_view Marker = "--B:M";
constexpr std::string_view LineEnd = "\r\n";

// One line of the pasted text: where it starts, and its content once the
// quoting marks before it and the blanks after it are taken off.
struct TextLine {
    size_t start = 0;          // offset of the line in the text
    std::string_view content;  // a part of the text
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Lines end with CR LF, LF or CR alike: mail programs and editors change them.
std::vector<TextLine> SplitLines(std::string_view text)
{
    std::vector<TextLine> lines;
    size_t start = 0;
    for (size_t pos = 0; pos <= text.size(); ++pos) {
        if (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') {
            continue;
        }
        lines.push_back({start, text.substr(start, pos - start)});
        if (pos + 1 < text.size() && text[pos] == '\r' && text[pos + 1] == '\n') {
            ++pos;
        }
        start = pos + 1;
    }
    return lines;
}

// The content without the quoting marks ("> ", ">>", "> > ") and trailing blanks.
std::string_view Unquoted(std::string_view line)
{
    size_t pos = 0;
    for (;;) {
        size_t next = pos;
        while (next < line.size() && IsBlank(line[next])) {
            ++next;
        }
        if (next >= line.size() || line[next] != '>') {
            break;
        }
        pos = next + 1;
        if (pos < line.size() && line[pos] == ' ') {
            ++pos;
        }
    }
    std::string_view content = line.substr(pos);
    while (!content.empty() && IsBlank(content.back())) {
        content.remove_suffix(1);
    }
    return content;
}

bool IsBase64Character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
           c == '=';
}

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The bytes of the character at pos (two for a Shift-JIS pair).
size_t CharacterLength(std::string_view text, size_t pos)
{
    return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// The column of the byte at offset within its line, counted in characters from 1.
int ColumnOf(std::string_view text, size_t lineStart, size_t offset)
{
    int column = 1;
    for (size_t pos = lineStart; pos < offset; pos += CharacterLength(text, pos)) {
        ++column;
    }
    return column;
}

// Counts the characters of one line's content that are not Base64.
void CheckLine(std::string_view text, int lineNumber, const TextLine& line, std::string_view content,
               MailReading& reading)
{
    for (size_t pos = 0; pos < content.size();) {
        const size_t length = CharacterLength(content, pos);
        if (length == 2 || !IsBase64Character(content[pos])) {
            if (reading.notBase64 == 0) {
                const size_t offset = static_cast<size_t>(content.data() - text.data()) + pos;
                reading.firstNotBase64 = {lineNumber, ColumnOf(text, line.start, offset)};
                reading.firstCharacter = std::string(content.substr(pos, length));
            }
            ++reading.notBase64;
        }
        pos += length;
    }
}

// The first line that is the marker, or lines.size().
size_t MarkerLine(const std::vector<TextLine>& lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view content = Unquoted(lines[i].content);
        while (!content.empty() && IsBlank(content.front())) {
            content.remove_prefix(1);
        }
        if (content == Marker) {
            return i;
        }
    }
    return lines.size();
}

}  // namespace

std::string MakeMailText(std::string_view image)
{
    std::string text(Marker);
    text.append(LineEnd);
    text.append(Base64Encode(image, LineEnd));
    return text;
}

MailReading ReadMail(std::string_view text)
{
    MailReading reading;
    const std::vector<TextLine> lines = SplitLines(text);
    const size_t marker = MarkerLine(lines);
    if (marker == lines.size()) {
        // No marker: the whole text is the Base64, decoded as it is.
        for (size_t i = 0; i < lines.size(); ++i) {
            CheckLine(text, static_cast<int>(i) + 1, lines[i], lines[i].content, reading);
        }
        reading.image = Base64Decode(text);
        return reading;
    }
    reading.markerFound = true;
    size_t i = marker + 1;
    while (i < lines.size() && Unquoted(lines[i].content).empty()) {
        ++i;
    }
    std::string block;
    for (; i < lines.size(); ++i) {
        const std::string_view content = Unquoted(lines[i].content);
        if (content.empty() || content.starts_with("--")) {
            break;
        }
        CheckLine(text, static_cast<int>(i) + 1, lines[i], content, reading);
        block.append(content);
        block.append(LineEnd);
        if (content.find('=') != std::string_view::npos) {
            break;  // the fill ends the data
        }
    }
    reading.image = Base64Decode(block);
    return reading;
}

std::string ReadMailText(std::string_view text)
{
    return ReadMail(text).image;
}

std::string NotBase64Question(const MailReading& reading)
{
    std::string question = WithNumbers(Msg::MailNotBase64Question, {reading.firstNotBase64.line,
                                                                    reading.firstNotBase64.column, reading.notBase64});
    if (const size_t place = question.find("%s"); place != std::string::npos) {
        // A control character or a lone first byte of a pair would not show
        // (or would swallow what follows): its place says enough.
        const std::string& character = reading.firstCharacter;
        const auto first = character.empty() ? 0 : static_cast<unsigned char>(character[0]);
        const bool visible = character.size() == 2 || (first >= 0x20 && first < 0x7F) || (first >= 0xA1 && first <= 0xDF);
        question.replace(place, 2, visible ? character : std::string(" "));
    }
    return question;
}

}  // namespace quaverly
