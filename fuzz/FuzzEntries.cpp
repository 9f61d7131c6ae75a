#include "FuzzEntries.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "InKtlSrc/RingtoneBook.h"
#include "UnitMfi/MfiImport.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitXml/MusicXmlImport.h"
#include "base/Errors.h"
#include "base/IntegerReading.h"
#include "UnitMld/CrashJournal.h"
#include "UnitMld/MailText.h"
#include "UnitMld/MelodyDefects.h"
#include "UnitMld/MelodyOrigin.h"
#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/Diagnostic.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/ScoreParser.h"
#include "UnitMld/SequenceList.h"
#include "UnitNum/NumericImport.h"
#include "jconvert/Base64.h"

namespace quaverly::fuzz {

namespace {

void Expect(bool condition, const char* what)
{
    if (!condition) {
        throw FuzzFailure(what);
    }
}

unsigned ByteAt(std::string_view data, size_t index)
{
    return static_cast<unsigned char>(data[index]);
}

// The parts of data between zero bytes, at most count of them (the last takes the rest).
std::vector<std::string_view> SplitAtZeros(std::string_view data, size_t count)
{
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        size_t zero = data.find('\0');
        if (zero == std::string_view::npos) {
            break;
        }
        parts.push_back(data.substr(0, zero));
        data.remove_prefix(zero + 1);
    }
    parts.push_back(data);
    return parts;
}

// An entry the parser or the listing made holds what the builder can encode:
// a voice 0..3, a note -1..63 (never 63 on voice 3) and a gate that is not negative.
void CheckMadeEntry(const SequenceEntry& entry, std::optional<int> expectedVoice)
{
    Expect(entry.Voice() >= 0 && entry.Voice() <= 3, "voice outside 0..3");
    if (expectedVoice) {
        Expect(entry.Voice() == *expectedVoice, "entry of another voice");
    }
    if (entry.IsRaw()) {
        return;
    }
    Expect(entry.Note() >= -1 && entry.Note() <= 63, "note outside -1..63");
    // Voice 3 with note 63 would make the status byte 0xFF, a control event.
    Expect(!(entry.Voice() == 3 && entry.Note() == 63), "voice 3 holds note 63");
    Expect(entry.Gate() >= 0, "negative gate");
}

void CheckFieldsOfLoad(const EditorFields& fields)
{
    std::optional<int32_t> tempo = ReadInteger(fields.tempoText);
    Expect(tempo && *tempo >= 0 && *tempo <= 255, "loaded tempo outside 0..255");
    for (int voice = 0; voice < 4; ++voice) {
        std::optional<int32_t> volume = ReadInteger(fields.volumeTexts[voice]);
        Expect(volume && *volume >= 0 && *volume <= 63, "loaded volume outside 0..63");
        Expect(!fields.toneTexts[voice].empty(), "loaded tone text empty");
    }
}

// Every query of the store on one image; none may read outside it.
void QueryImage(std::string_view image)
{
    MelodyStore store;
    store.MelodyImage() = std::string(image);
    const bool isMelody = store.IsMelodyImage();
    Expect(isMelody == (image.substr(0, 4) == "melo"), "IsMelodyImage disagrees with the magic");
    for (std::string_view tag : {"sorc", "titl", "vers", "date", "copy", "trac"}) {
        Expect(store.HeaderChunk(tag).size() <= image.size(), "header chunk longer than the image");
    }
    const int tempo = store.MelodyTempo();
    Expect(tempo >= 0 && tempo <= 255, "tempo outside 0..255");
    for (int voice = 0; voice < 4; ++voice) {
        Expect(!store.VoiceToneText(voice).empty(), "empty tone text");
        const int volume = store.VoiceVolume(voice);
        Expect(volume >= 0 && volume <= 63, "volume outside 0..63");
    }
    store.LoadFFF0Data();
    Expect(store.fff0DataHex.size() % 2 == 0 && store.fff0DataHex.size() <= 2 * image.size(),
           "FFF0 text not two digits per image byte");
    try {
        store.ListSequence();
    } catch (const MelodyLimitError&) {
        // A melody longer than the time column holds is refused with its message.
        Expect(store.Sequence().size() <= image.size() / 3 + 1, "more events listed than the image holds");
        return;
    }
    Expect(store.Sequence().size() <= image.size() / 3 + 1, "more events listed than the image holds");
    for (const SequenceEntry& entry : store.Sequence()) {
        CheckMadeEntry(entry, std::nullopt);
        Expect(!entry.Source().IsSet(), "a listed event claims a place in a page");
    }
}

// LoadMelodyIntoEditor on a store holding the image: fields for a melody
// image, nothing (and no change) for anything else.
std::optional<EditorFields> LoadImage(MelodyStore& store)
{
    MelodyFileInfo info;
    info.copyright = "unchanged";
    std::optional<EditorFields> fields;
    try {
        fields = LoadMelodyIntoEditor(store, info);
    } catch (const MelodyLimitError&) {
        Expect(store.IsMelodyImage(), "a non-melody image was refused as too long");
        return std::nullopt;  // longer than the time column holds: refused with its message
    }
    if (!store.IsMelodyImage()) {
        Expect(!fields && info.copyright == "unchanged" && store.Sequence().empty(), "a non-melody image was loaded");
        return fields;
    }
    Expect(fields.has_value(), "a melody image was not loaded");
    CheckFieldsOfLoad(*fields);
    std::vector<SequenceRow> rows;
    FillSequenceView(store.Sequence(), rows);
    return fields;
}

std::string TemporaryPath(std::string_view extension)
{
    return (std::filesystem::temp_directory_path() /
            ("quaverly-fuzz-" + std::to_string(::getpid()) + std::string(extension)))
        .string();
}

// The note events that sound (gate above 0); silent events that bridge long
// gaps have none, so a list without raw lines gives its image as many as it has.
size_t SoundingNotes(const SequenceList& list)
{
    return static_cast<size_t>(std::count_if(list.begin(), list.end(), [](const SequenceEntry& entry) {
        return !entry.IsRaw() && !entry.IsEnd() && entry.Gate() > 0;
    }));
}

// Events whose lengths the image cannot show again make the round trip's
// equality meaningless: an event of zero or negative length (a zero-length
// rest vanishes on the way back; a zero-length last note sorts after its end
// line and the track then ends when its gate does), and gaps or gates beyond
// one byte, which are the builder's business. And every voice must close with
// its end line. A page whose text ends in a rest that its marks cancel has none,
// so the image keeps no length for its last note: when that note is the
// melody's last line the track ends with its gate and it comes back one gate
// long; otherwise it comes back as long as the other voices run on after it.
bool FitsTheFormat(const SequenceList& sortedList)
{
    std::array<bool, 4> closed{true, true, true, true};
    std::array<std::optional<int>, 4> lastTime{};
    int previousTime = 0;
    for (const SequenceEntry& entry : sortedList) {
        if (entry.IsRaw()) {
            return false;
        }
        const int time = entry.Time();
        const int voice = entry.Voice();
        if (time < 0 || time > MaxSequenceTime || time - previousTime > 255 || entry.Gate() > 255) {
            return false;
        }
        if (lastTime[voice] && time <= *lastTime[voice]) {
            return false;
        }
        previousTime = time;
        lastTime[voice] = time;
        closed[static_cast<size_t>(voice)] = entry.IsEnd();
    }
    return closed == std::array<bool, 4>{true, true, true, true};
}

// Every entry but the end event knows its place in the page, and the
// characters there, parsed alone as a page of the same voice, give the same
// entry. The notation carries nothing from one note to the next but the
// running time (every note names its own pitch, length and articulation), so
// "the same" is: raw data with the same text, or an event with the same note
// and gate at time 0, followed by the end event at its length, that is, the
// time of the entry after it in the whole page's list, when the running time
// did not saturate on the way.
void CheckPlace(std::string_view page, const SequenceList& list, size_t k, bool extendedNotation)
{
    const SequenceEntry& entry = list[k];
    const SourceSpan span = entry.Source();
    if (entry.IsEnd()) {
        Expect(!span.IsSet(), "the end event claims a place");
        return;
    }
    Expect(span.IsSet() && span.page == entry.Voice(), "an entry of a page has no place in it");
    Expect(span.offset >= 0 && span.length > 0 && static_cast<size_t>(span.offset) + static_cast<size_t>(span.length) <= page.size(),
           "a place lies outside its page");
    if (k > 0 && list[k - 1].Source().IsSet()) {
        const SourceSpan before = list[k - 1].Source();
        Expect(before.offset + before.length <= span.offset, "places overlap or run backwards");
    }
    SequenceList alone;
    ParseScore(page.substr(static_cast<size_t>(span.offset), static_cast<size_t>(span.length)), entry.Voice(), alone,
               extendedNotation);
    if (entry.IsRaw()) {
        Expect(alone.size() == 1 && alone[0].IsRaw() && alone.RawText(alone[0]) == list.RawText(entry),
               "the characters of raw data give other data");
        return;
    }
    Expect(alone.size() == 2 && !alone[0].IsRaw() && alone[0].Time() == 0 && alone[0].Note() == entry.Note() &&
               alone[0].Gate() == entry.Gate() && alone[1].IsEnd(),
           "the characters of an event give another event");
    constexpr int Saturated = std::numeric_limits<int>::max();
    if (k + 1 < list.size() && entry.Time() != Saturated && list[k + 1].Time() != Saturated &&
        entry.Time() != -Saturated - 1 && list[k + 1].Time() != -Saturated - 1) {
        const int64_t length = int64_t{list[k + 1].Time()} - entry.Time();
        Expect(alone[1].Time() == length, "the characters of an event give another length");
    }
}

}  // namespace

namespace {

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool IsSkippedKind(DiagnosticKind kind)
{
    return kind == DiagnosticKind::SkippedCharacters || kind == DiagnosticKind::MalformedGroup ||
           kind == DiagnosticKind::RawDataIgnored;
}

// The events of a list without their places: what a page compiles to. The
// end of the voice is left out: a raw-data delimiter, even one left unclosed
// and ignored, takes the pending note's place and the end line goes with it.
std::vector<std::string> EventsOf(const SequenceList& list)
{
    std::vector<std::string> events;
    for (const SequenceEntry& entry : list) {
        if (entry.IsEnd()) {
            continue;
        }
        events.push_back(entry.IsRaw() ? std::to_string(entry.Time()) + " raw " + std::string(list.RawText(entry))
                                       : std::to_string(entry.Time()) + " " + std::to_string(entry.Note()) + " " +
                                             std::to_string(entry.Gate()));
    }
    return events;
}

}  // namespace

std::string DiagnosticsUntrue(std::string_view page, int voice, bool extendedNotation)
{
    SequenceList list;
    DiagnosticSink sink;
    const std::string canonical = ParseScore(page, voice, list, extendedNotation, &sink);
    // Which bytes of the page made an entry, and which a diagnostic calls skipped or names.
    std::vector<char> made(page.size(), 0);
    for (const SequenceEntry& entry : list) {
        const SourceSpan span = entry.Source();
        if (span.IsSet()) {
            std::fill_n(made.begin() + span.offset, span.length, 1);
        }
    }
    std::vector<char> skipped(page.size(), 0);
    std::vector<char> named(page.size(), 0);
    for (const Diagnostic& diagnostic : sink.Items()) {
        const SourceSpan span = diagnostic.span;
        std::fill_n(named.begin() + span.offset, span.length, 1);
        if (!IsSkippedKind(diagnostic.kind)) {
            continue;
        }
        for (int b = span.offset; b < span.offset + span.length; ++b) {
            if (made[static_cast<size_t>(b)] != 0) {
                return "characters called skipped make an event, at byte " + std::to_string(b);
            }
            skipped[static_cast<size_t>(b)] = 1;
        }
    }
    for (size_t i = 0; i < page.size();) {
        const auto c = static_cast<unsigned char>(page[i]);
        const size_t length = IsLeadByte(c) && i + 1 < page.size() ? 2 : 1;
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n' || page.substr(i, 2) == "\x81\x40";
        if (!blank && made[i] == 0 && named[i] == 0) {
            return "a character that makes nothing is not reported, at byte " + std::to_string(i);
        }
        i += length;
    }
    // Without the characters called skipped the page compiles to the same events and text.
    std::string kept;
    for (size_t i = 0; i < page.size(); ++i) {
        if (skipped[i] == 0) {
            kept += page[i];
        }
    }
    SequenceList keptList;
    if (ParseScore(kept, voice, keptList, extendedNotation) != canonical || EventsOf(keptList) != EventsOf(list)) {
        return "without the characters called skipped the page compiles otherwise";
    }
    return {};
}

void ScoreParserEntry(std::string_view data)
{
    if (data.empty()) {
        return;
    }
    const int voice = static_cast<int>(ByteAt(data, 0) & 3);
    const bool extendedNotation = (ByteAt(data, 0) & 4) != 0;
    const std::string_view page = data.substr(1);
    SequenceList list;
    DiagnosticSink diagnostics;
    const std::string canonical = ParseScore(page, voice, list, extendedNotation, &diagnostics);
    // Every diagnostic points at characters of its page, in the page's order.
    int previousOffset = 0;
    for (const Diagnostic& diagnostic : diagnostics.Items()) {
        const SourceSpan span = diagnostic.span;
        Expect(span.page == voice, "diagnostic on another page");
        Expect(span.offset >= 0 && span.length > 0, "diagnostic without characters");
        Expect(static_cast<size_t>(span.offset) + static_cast<size_t>(span.length) <= page.size(),
               "diagnostic beyond its page");
        Expect(span.offset >= previousOffset, "diagnostics out of the page's order");
        Expect(!diagnostic.message.empty() && diagnostic.message.find_first_of("\r\n") == std::string::npos,
               "diagnostic message empty or on several lines");
        previousOffset = span.offset;
    }
    SequenceList plain;
    Expect(ParseScore(page, voice, plain, extendedNotation) == canonical && plain == list,
           "collecting diagnostics changes what the parser makes");
    for (size_t k = 0; k < list.size(); ++k) {
        CheckMadeEntry(list[k], voice);
        CheckPlace(page, list, k, extendedNotation);
    }
    Expect(canonical.find_first_of("\r\n") == std::string::npos || extendedNotation,
           "canonical text holds a line break");
    // The canonical text is the parser's own spelling: reading it again gives it back.
    if (!extendedNotation) {
        SequenceList again;
        Expect(ParseScore(canonical, voice, again, false) == canonical, "canonical text does not parse to itself");
    }
    // Every diagnostic says what the parser did: skipped characters make nothing, and nothing goes unreported.
    const std::string untrue = DiagnosticsUntrue(page, voice, extendedNotation);
    Expect(untrue.empty(), "a diagnostic does not tell what the parser did");
}

void MelodyImageEntry(std::string_view data)
{
    QueryImage(data);
    // Most inputs lack the magic; give them one so that the walk is exercised.
    std::string image = data.substr(0, 4) == "melo" ? std::string(data) : "melo" + std::string(data);
    if (data.substr(0, 4) != "melo") {
        QueryImage(image);
    }
    MelodyStore store;
    store.MelodyImage() = image;
    LoadImage(store);
    Expect(FindHeaderChunk(data, "titl").size() <= data.size(), "title longer than the file");
    MissingMelodyParts(image);
}

void JournalEntry(std::string_view data)
{
    JournalContent content;
    try {
        content = ParseJournal(data);
    } catch (const QuaverlyError&) {
        return;
    }
    // What was read, written and read again, is what was read.
    const std::string written = WriteJournal(content);
    const JournalContent again = ParseJournal(written);
    Expect(WriteJournal(again) == written, "a journal read, written and read again changed");
}

void MelodyTextEntry(std::string_view data)
{
    EditorTexts texts;
    MelodyFileInfo info;
    try {
        ReadMelodyText(data, texts, info);
    } catch (const QuaverlyError&) {
        return;
    }
    // What was read, written and read again, is what was read.
    EditorTexts again;
    MelodyFileInfo againInfo;
    ReadMelodyText(MelodyTextBytes(texts, info), again, againInfo);
    Expect(again.title == texts.title && again.tempo == texts.tempo && again.tones == texts.tones &&
               again.volumes == texts.volumes && again.scores == texts.scores &&
               againInfo.copyright == info.copyright && againInfo.date == info.date,
           "a melody text read, written and read again changed");
    MelodyStore store;
    try {
        AnalysisResult result = AnalyseScore(store, texts, info, true);
        if (!result.refusal) {
            Expect(store.IsMelodyImage(), "analysis left no melody image");
        }
    } catch (const QuaverlyError&) {
        // A melody the format cannot hold is refused with its message.
    }
}

void MailTextEntry(std::string_view data)
{
    const std::string decoded = Base64Decode(data);
    Expect(decoded.size() <= data.size(), "decoded text longer than its input");
    const MailReading reading = ReadMail(data);
    Expect(reading.notBase64 == 0 || (reading.firstNotBase64.line >= 1 && reading.firstNotBase64.column >= 1 &&
                                      !reading.firstCharacter.empty()),
           "a character that is not Base64 without its place");
    NotBase64Question(reading);
    Expect(ReadMailText(MakeMailText(data)) == data, "mail text does not decode to its image");
    // A whole mail around it: headers before, every line quoted, a signature after.
    std::string quoted = "Subject: x\r\n\r\n> ";
    for (char c : MakeMailText(data)) {
        quoted += c;
        if (c == '\n') {
            quoted += "> ";
        }
    }
    quoted += "\r\n\r\n-- \r\nname";
    Expect(ReadMailText(quoted) == data, "a quoted mail does not decode to its image");
    const std::string encoded = Base64Encode(data, "\r\n");
    const size_t full = 4 * (data.size() / 3);
    Expect(encoded.size() == full + (data.size() % 3 != 0 ? 4 : 0) + 2 * (full / 76),
           "encoded length differs from the formula");
    Expect(Base64Decode(encoded) == data, "Base64 does not decode to its input");
}

void NumericTextEntry(std::string_view data)
{
    MelodyStore store;
    try {
        Expect(ImportNumericText(store, data) == 125, "numeric import tempo is not 125");
    } catch (const QuaverlyError&) {
        Expect(store.MelodyImage().empty(), "failed numeric import changed the image");
        return;
    }
    Expect(store.Sequence().empty(), "numeric import left lines behind");
    Expect(store.IsMelodyImage(), "numeric import made no melody image");
    LoadImage(store);
}

void PocketMelodyEntry(std::string_view data)
{
    const std::string path = TemporaryPath(".pmr");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    MelodyStore store;
    store.OpenMelodyFile(path);
    const std::string title = ReadMelodyTitle(path);
    std::filesystem::remove(path);
    Expect(store.MelodyImage() == (data.size() > 192 ? data.substr(192) : std::string_view{}),
           "pocket melody image is not the bytes after the 192-byte header");
    // A file laid out as another maker's melody has its title read from the
    // chunks before its first track.
    const std::string expected = IsForeignMelodyImage(data) ? MfiInfoChunk(data, "titl") : FindHeaderChunk(data, "titl");
    Expect(title == expected, "file title differs from the chunk lookup");
    LoadImage(store);
}

void RingtoneBookEntry(std::string_view data)
{
    std::vector<RingtoneSong> songs;
    try {
        songs = ReadRingtoneBook(data);
    } catch (const RingtoneBookError& error) {
        songs = error.SongsSoFar();
    }
    Expect(songs.size() <= data.size() / 5, "more songs than the file can hold");
    for (const RingtoneSong& song : songs) {
        for (const std::string* field : {&song.title, &song.artist, &song.melody}) {
            Expect(field->size() <= data.size() && field->find('\0') == std::string::npos,
                   "song field holds a zero byte or overruns the file");
        }
    }
    // The OK button copies up to four melodies into the voice pages.
    SequenceList list;
    for (size_t voice = 0; voice < songs.size() && voice < 4; ++voice) {
        ParseScore(songs[voice].melody, static_cast<int>(voice), list, false);
    }
}

void RoundTripEntry(std::string_view data)
{
    // Byte 0: flags; byte 1: tempo; bytes 2-5: tones; bytes 6-9: volumes; then,
    // split at zero bytes: four scores, title, copyright, date, FFF0 hex text.
    if (data.size() < 10) {
        return;
    }
    const unsigned flags = ByteAt(data, 0);
    EditorTexts texts;
    texts.tempo = std::to_string(1 + ByteAt(data, 1) % 255);
    for (size_t voice = 0; voice < 4; ++voice) {
        texts.tones[voice] = std::to_string(1 + ByteAt(data, 2 + voice) % 128);
        texts.volumes[voice] = std::to_string(ByteAt(data, 6 + voice) % 64);
    }
    std::vector<std::string_view> parts = SplitAtZeros(data.substr(10), 8);
    parts.resize(8);
    for (size_t voice = 0; voice < 4; ++voice) {
        texts.scores[voice] = std::string(parts[voice]);
    }
    texts.title = std::string(parts[4]);
    MelodyFileInfo info;
    info.copyright = std::string(parts[5]);
    info.date = std::string(parts[6]);
    info.sorc = (flags & 1) != 0;

    MelodyStore first;
    first.fff0DataSet = (flags & 2) != 0;
    first.fff0DataHex = std::string(parts[7]);
    AnalysisResult built;
    try {
        built = AnalyseScore(first, texts, info, false);
    } catch (const MelodyLimitError&) {
        return;  // too long, or a header text beyond 65535 bytes
    }
    Expect(!built.refusal, "valid tempo, tones and volumes were refused");
    // Whatever the image cannot show again, no sounding note is lost in it.
    const SequenceList& builtList = first.Sequence();
    if (std::none_of(builtList.begin(), builtList.end(), [](const SequenceEntry& entry) { return entry.IsRaw(); })) {
        MelodyStore listed;
        listed.MelodyImage() = first.MelodyImage();
        listed.ListSequence();
        Expect(SoundingNotes(listed.Sequence()) == SoundingNotes(builtList), "a sounding note is missing from the image");
    }
    if (!FitsTheFormat(first.Sequence())) {
        return;
    }

    MelodyStore second;
    second.MelodyImage() = first.MelodyImage();
    MelodyFileInfo loadedInfo;
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(second, loadedInfo);
    Expect(fields.has_value(), "a built image does not load");
    Expect(fields->title == texts.title && loadedInfo.copyright == info.copyright && loadedInfo.date == info.date &&
               loadedInfo.sorc == info.sorc,
           "header texts changed on the way back");

    EditorTexts loaded;
    loaded.tempo = fields->tempoText;
    loaded.title = fields->title;
    loaded.tones = fields->toneTexts;
    loaded.volumes = fields->volumeTexts;
    loaded.scores = fields->scoreTexts;
    MelodyStore third;
    third.fff0DataSet = second.fff0DataSet;
    third.fff0DataHex = second.fff0DataHex;
    AnalysisResult rebuilt;
    try {
        rebuilt = AnalyseScore(third, loaded, loadedInfo, false);
    } catch (const MelodyLimitError&) {
        throw FuzzFailure("the texts of a loaded melody do not compile");
    }
    Expect(!rebuilt.refusal, "the texts of a loaded melody were refused");
    Expect(third.MelodyImage() == first.MelodyImage(), "the loaded texts rebuild to another image");
}

void MidiFileEntry(std::string_view data)
{
    try {
        const MidiSurvey survey = SurveyMidiFile(data, "fuzz.mid");
        Expect(survey.automaticChoice.size() <= 4, "the automatic choice has more than four channels");
    } catch (const QuaverlyError&) {
    }
    ImportedMelody melody;
    try {
        melody = ImportMidiFile(data, "fuzz.mid");
    } catch (const QuaverlyError&) {
        return;
    }
    Expect(melody.tempo >= 1 && melody.tempo <= 255, "imported tempo outside 1..255");
    Expect(melody.endTime >= 0 && melody.endTime <= MaxSequenceTime, "imported end outside the time column");
    for (size_t voice = 0; voice < 4; ++voice) {
        const ImportedVoice& imported = melody.voices[voice];
        Expect(imported.tone >= 1 && imported.tone <= 128 && imported.volume >= 0 && imported.volume <= 63,
               "imported tone or volume out of range");
        int previous = 0;
        for (const VoiceEvent& event : imported.events) {
            Expect(event.time >= previous && event.time <= melody.endTime, "imported events out of order or past the end");
            Expect(event.gate >= 0 && event.gate <= 255, "imported gate beyond one event");
            Expect(event.note >= 0 && event.note <= Mld::HighestNoteOfVoice(static_cast<int>(voice)), "imported note out of range");
            previous = event.time;
        }
    }
    MelodyStore store;
    store.MelodyImage() = "previous image";
    try {
        BuildImportedMelody(store, melody);
    } catch (const QuaverlyError&) {
        Expect(store.MelodyImage() == "previous image", "a failed build changed the image");
        return;
    }
    Expect(store.IsMelodyImage() && store.Sequence().empty(), "the imported melody is not a melody image");
    LoadImage(store);
}

void MfiMelodyEntry(std::string_view data)
{
    const bool foreign = IsForeignMelodyImage(data);
    MfiMelody melody;
    try {
        melody = ReadMfiMelody(data, "fuzz.mld");
    } catch (const QuaverlyError&) {
        Expect(!foreign, "a melody of another maker was refused whole");
        return;
    }
    // Memory: at most four times the file and a little more.
    const size_t held = melody.notes.capacity() * sizeof(MfiNote) + melody.controls.capacity() * sizeof(MfiControl) +
                        melody.cuePoints.capacity() * sizeof(MfiCuePoint) + melody.tempos.capacity() * sizeof(MfiTempo);
    Expect(held <= 4 * data.size() + (16u << 20), "the reading holds more than four times the file");
    Expect(melody.partial == !melody.partialMessage.empty(), "a partial reading without its message, or the reverse");
    uint32_t previous = 0;
    for (const MfiNote& note : melody.notes) {
        Expect(note.lane < MfiLaneCount && note.key <= 127 && note.velocity >= 1 && note.velocity <= 127,
               "a note outside its lanes, keys or velocities");
        Expect(note.start >= previous && note.End() <= melody.endTick, "notes out of order or past the end");
        previous = note.start;
    }
    const std::string midi = MfiMidiFileBytes(melody);
    Expect(midi.compare(0, 4, "MThd") == 0, "the MIDI file of a melody of another maker has no header");
    // Its loop unrolled with a fade, and the loop section alone.
    try {
        Expect(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 3, 2.5}).compare(0, 4, "MThd") == 0,
               "the unrolled MIDI file has no header");
        Expect(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1}).compare(0, 4, "MThd") == 0,
               "the loop section's MIDI file has no header");
    } catch (const QuaverlyError&) {
        // over the cap of an unrolled file: refused with its message
    }
    try {
        const ImportedMelody imported = ImportMfiMelody(melody);
        MelodyStore store;
        BuildImportedMelody(store, imported);
        Expect(store.IsMelodyImage() && !IsForeignMelodyImage(store.MelodyImage()), "an import is not an own melody");
    } catch (const QuaverlyError&) {
    }
}

void MusicXmlEntry(std::string_view data)
{
    MidiContent content;
    try {
        content = CollectMusicXmlContent(data, "fuzz.musicxml");
    } catch (const QuaverlyError&) {
        return;
    }
    // Memory: the notes it hands on, at most four times the file and a little more.
    Expect(content.notes.capacity() * sizeof(MidiNote) <= 4 * data.size() + (16u << 20),
           "the reading holds more than four times the file");
    for (const MidiNote& note : content.notes) {
        Expect(note.channel < 16 && note.key <= 127 && note.on >= 0, "a note outside the channels, keys or times");
    }
    const MidiSurvey survey = SurveyMidiContent(content);
    Expect(survey.automaticChoice.size() <= 4, "the automatic choice has more than four channels");
    const ImportedMelody melody = ImportMidiContent(std::move(content));
    Expect(melody.tempo >= 1 && melody.tempo <= 255, "imported tempo outside 1..255");
    MelodyStore store;
    try {
        BuildImportedMelody(store, melody);
    } catch (const QuaverlyError&) {
        return;
    }
    Expect(store.IsMelodyImage(), "the imported score is not a melody image");
}

std::span<const NamedEntry> Entries()
{
    static constexpr std::array<NamedEntry, 14> table{{
        {"ScoreParser", ScoreParserEntry},
        {"MelodyImage", MelodyImageEntry},
        {"MelodyText", MelodyTextEntry},
        {"MailText", MailTextEntry},
        {"NumericText", NumericTextEntry},
        {"PocketMelody", PocketMelodyEntry},
        {"RingtoneBook", RingtoneBookEntry},
        {"RoundTrip", RoundTripEntry},
        {"Journal", JournalEntry},
        {"MidiFile", MidiFileEntry},
        {"MfiMelody", MfiMelodyEntry},
        {"RtttlText", RtttlTextEntry},
        {"MmlText", MmlTextEntry},
        {"MusicXml", MusicXmlEntry},
    }};
    return table;
}

}  // namespace quaverly::fuzz
