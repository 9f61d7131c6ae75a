#include "MelodyText.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "MldLayout.h"

namespace quaverly {

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view TitleTag = "$T";
constexpr std::string_view TempoTag = "$t";
constexpr std::string_view CopyrightTag = "$C";
constexpr std::string_view DateTag = "$D";
constexpr char FieldMark = '-';  // opens the tone and the volume line of a voice

std::string VoiceTag(int voice)
{
    // Appended piece by piece: "$" + std::to_string(...) trips a false -Wrestrict of GCC 12 at -O3.
    std::string tag = "$";
    tag += std::to_string(voice);
    return tag;
}

// The lines of a melody text. A line ends at LF, and a CR right before the LF
// belongs to the line end, so that a text saved on Linux with LF alone reads
// the same as one with CR LF.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}

    // The next line without its line end; nothing at the end of the text.
    std::optional<std::string_view> Next()
    {
        if (m_position >= m_bytes.size()) {
            return std::nullopt;
        }
        const size_t start = m_position;
        const size_t lineFeed = m_bytes.find('\n', start);
        const size_t end = lineFeed == std::string_view::npos ? m_bytes.size() : lineFeed;
        m_position = lineFeed == std::string_view::npos ? m_bytes.size() : lineFeed + 1;
        ++m_lineNumber;
        return Content(start, end);
    }

    // The start of the first line from the position on that is exactly the text.
    std::optional<size_t> FindLine(std::string_view text) const
    {
        size_t start = m_position;
        while (start < m_bytes.size()) {
            const size_t lineFeed = m_bytes.find('\n', start);
            const size_t end = lineFeed == std::string_view::npos ? m_bytes.size() : lineFeed;
            if (Content(start, end) == text) {
                return start;
            }
            if (lineFeed == std::string_view::npos) {
                break;
            }
            start = lineFeed + 1;
        }
        return std::nullopt;
    }

    // Takes the bytes up to the position (a line start) as they are.
    std::string_view TakeUpTo(size_t position)
    {
        const std::string_view taken = m_bytes.substr(m_position, position - m_position);
        m_lineNumber += static_cast<int>(std::count(taken.begin(), taken.end(), '\n'));
        m_position = position;
        return taken;
    }

    size_t End() const { return m_bytes.size(); }

    // The 1-based number of the line after the last one.
    int LineNumberAtEnd() const
    {
        const std::string_view rest = m_bytes.substr(m_position);
        return m_lineNumber + static_cast<int>(std::count(rest.begin(), rest.end(), '\n')) +
               (rest.empty() || rest.ends_with('\n') ? 0 : 1);
    }

    // The 1-based number of the line that Next reads.
    int LineNumber() const { return m_lineNumber; }

private:
    std::string_view Content(size_t start, size_t end) const
    {
        if (end > start && end < m_bytes.size() && m_bytes[end - 1] == '\r') {
            --end;
        }
        return m_bytes.substr(start, end - start);
    }

    std::string_view m_bytes;
    size_t m_position = 0;
    int m_lineNumber = 1;
};

[[noreturn]] void ThrowMissing(std::string_view what, int lineNumber)
{
    char at[64];
    std::snprintf(at, sizeof at, std::string(Msg::MelodyTextAtLine).c_str(), lineNumber);
    throw QuaverlyError(std::string(Msg::MelodyTextLineMissing) + std::string(what) + at);
}

std::string VoiceLineName(int voice, std::string_view line)
{
    return std::string(Msg::MelodyTextVoice) + std::to_string(voice) + std::string(line);
}

void ExpectTag(LineReader& lines, std::string_view tag)
{
    const int lineNumber = lines.LineNumber();
    if (lines.Next() != tag) {
        ThrowMissing(tag, lineNumber);
    }
}

std::string ReadField(LineReader& lines, std::string_view what)
{
    const int lineNumber = lines.LineNumber();
    const std::optional<std::string_view> line = lines.Next();
    if (!line) {
        ThrowMissing(what, lineNumber);
    }
    return std::string(*line);
}

// A tone or volume line: "-" and the field's text.
std::string ReadMarkedField(LineReader& lines, const std::string& what)
{
    const int lineNumber = lines.LineNumber();
    const std::optional<std::string_view> line = lines.Next();
    if (!line || line->empty() || line->front() != FieldMark) {
        ThrowMissing(what, lineNumber);
    }
    return std::string(line->substr(1));
}

// A score page is followed by one line end, which is not part of the page.
std::string_view WithoutFinalLineEnd(std::string_view score)
{
    if (score.ends_with(LineEnd)) {
        score.remove_suffix(LineEnd.size());
    } else if (score.ends_with('\n')) {
        score.remove_suffix(1);
    }
    return score;
}

}  // namespace

std::string MelodyTextBytes(const EditorTexts& texts, const MelodyFileInfo& info)
{
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += LineEnd;
    };
    line(TitleTag);
    line(texts.title);
    line(TempoTag);
    line(texts.tempo);
    line(CopyrightTag);
    line(info.copyright);
    line(DateTag);
    line(info.date);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        line(VoiceTag(voice + 1));
        line(FieldMark + texts.tones[voice]);
        line(FieldMark + texts.volumes[voice]);
        line(texts.scores[voice]);
    }
    return out;
}

void WriteMelodyText(const std::string& path, const EditorTexts& texts, const MelodyFileInfo& info)
{
    WriteWholeFile(path, MelodyTextBytes(texts, info));
}

// A score page runs up to the line that is exactly the next voice's tag (the
// last page up to the end of the text), so a page may hold any other line,
// even one that begins with "$". A page line that is exactly the next tag
// cannot be told from the tag.
void ReadMelodyText(std::string_view bytes, EditorTexts& texts, MelodyFileInfo& info,
                    std::array<size_t, VoiceCount>* pageOffsets)
{
    std::array<size_t, VoiceCount> offsets{};
    LineReader lines(bytes);
    EditorTexts read;
    MelodyFileInfo readInfo = info;
    ExpectTag(lines, TitleTag);
    read.title = ReadField(lines, Msg::MelodyTextTitleLine);
    ExpectTag(lines, TempoTag);
    read.tempo = ReadField(lines, Msg::MelodyTextTempoLine);
    ExpectTag(lines, CopyrightTag);
    readInfo.copyright = ReadField(lines, Msg::MelodyTextCopyrightLine);
    ExpectTag(lines, DateTag);
    readInfo.date = ReadField(lines, Msg::MelodyTextDateLine);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        ExpectTag(lines, VoiceTag(voice + 1));
        read.tones[voice] = ReadMarkedField(lines, VoiceLineName(voice + 1, Msg::MelodyTextToneLine));
        read.volumes[voice] = ReadMarkedField(lines, VoiceLineName(voice + 1, Msg::MelodyTextVolumeLine));
        size_t scoreEnd = lines.End();
        if (voice < 3) {
            const std::optional<size_t> nextTag = lines.FindLine(VoiceTag(voice + 2));
            if (!nextTag) {
                ThrowMissing(VoiceTag(voice + 2), lines.LineNumberAtEnd());
            }
            scoreEnd = *nextTag;
        }
        const std::string_view score = WithoutFinalLineEnd(lines.TakeUpTo(scoreEnd));
        offsets[static_cast<size_t>(voice)] = static_cast<size_t>(score.data() - bytes.data());
        read.scores[voice] = std::string(score);
    }
    texts = std::move(read);
    info = std::move(readInfo);
    if (pageOffsets != nullptr) {
        *pageOffsets = offsets;
    }
}

}  // namespace quaverly
