#include "CrashJournal.h"

#include <map>

#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr std::string_view Magic = "QUAVERLY-JOURNAL 1\n";
constexpr std::string_view EndKey = "end";
// Larger than any melody the editor can hold; a bigger length is damage.
constexpr size_t MaxValueLength = 64u * 1024 * 1024;

void AppendRecord(std::string& out, std::string_view key, std::string_view value)
{
    out += key;
    out += ' ';
    out += std::to_string(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

[[noreturn]] void Broken(size_t offset)
{
    throw JournalError(std::string(Msg::JournalBroken) + std::to_string(offset) + std::string(Msg::ByteOffsetSuffix));
}

std::string Numbered(std::string_view key, int voice)
{
    return std::string(key) + std::to_string(voice);
}

// Reads every record up to "end 0" into a key -> value map.
std::map<std::string, std::string, std::less<>> ReadRecords(std::string_view text)
{
    if (text.substr(0, Magic.size()) != Magic) {
        Broken(0);
    }
    std::map<std::string, std::string, std::less<>> records;
    size_t at = Magic.size();
    while (true) {
        const size_t lineEnd = text.find('\n', at);
        if (lineEnd == std::string_view::npos) {
            Broken(at);
        }
        const std::string_view line = text.substr(at, lineEnd - at);
        const size_t space = line.find(' ');
        if (space == std::string_view::npos || space == 0 || space + 1 == line.size()) {
            Broken(at);
        }
        size_t length = 0;
        for (const char digit : line.substr(space + 1)) {
            if (digit < '0' || digit > '9' || length > MaxValueLength) {
                Broken(at);
            }
            length = length * 10 + static_cast<size_t>(digit - '0');
        }
        const std::string_view key = line.substr(0, space);
        const size_t valueAt = lineEnd + 1;
        if (length > MaxValueLength || length > text.size() - valueAt || valueAt + length >= text.size() ||
            text[valueAt + length] != '\n') {
            Broken(at);
        }
        if (key == EndKey) {
            return records;
        }
        records.insert_or_assign(std::string(key), std::string(text.substr(valueAt, length)));
        at = valueAt + length + 1;
    }
}

}  // namespace

std::string WriteJournal(const JournalContent& content)
{
    std::string out(Magic);
    AppendRecord(out, "tempo", content.texts.tempo);
    AppendRecord(out, "title", content.texts.title);
    for (int voice = 1; voice <= 4; ++voice) {
        const auto i = static_cast<size_t>(voice - 1);
        AppendRecord(out, Numbered("tone", voice), content.texts.tones[i]);
        AppendRecord(out, Numbered("volume", voice), content.texts.volumes[i]);
        AppendRecord(out, Numbered("score", voice), content.texts.scores[i]);
    }
    AppendRecord(out, "version", content.info.version);
    AppendRecord(out, "copyright", content.info.copyright);
    AppendRecord(out, "date", content.info.date);
    AppendRecord(out, "sorc", content.info.sorc ? "1" : "0");
    AppendRecord(out, "fff0set", content.fff0DataSet ? "1" : "0");
    AppendRecord(out, "fff0hex", content.fff0DataHex);
    AppendRecord(out, "image", content.melodyImage);
    AppendRecord(out, "file", content.boundFile);
    AppendRecord(out, EndKey, "");
    return out;
}

JournalContent ParseJournal(std::string_view text)
{
    const auto records = ReadRecords(text);
    // Absent records keep their defaults: a journal is restored as far as it goes.
    auto take = [&records](std::string_view key, std::string& into) {
        if (const auto found = records.find(key); found != records.end()) {
            into = found->second;
        }
    };
    JournalContent content;
    take("tempo", content.texts.tempo);
    take("title", content.texts.title);
    for (int voice = 1; voice <= 4; ++voice) {
        const auto i = static_cast<size_t>(voice - 1);
        take(Numbered("tone", voice), content.texts.tones[i]);
        take(Numbered("volume", voice), content.texts.volumes[i]);
        take(Numbered("score", voice), content.texts.scores[i]);
    }
    take("version", content.info.version);
    take("copyright", content.info.copyright);
    take("date", content.info.date);
    std::string flag;
    take("sorc", flag);
    content.info.sorc = flag == "1";
    flag.clear();
    take("fff0set", flag);
    content.fff0DataSet = flag == "1";
    take("fff0hex", content.fff0DataHex);
    take("image", content.melodyImage);
    take("file", content.boundFile);
    return content;
}

}  // namespace quaverly
