#include "MelodyToScore.h"

#include "MelodyBuilder.h"
#include "NotationTables.h"
#include "ScoreParser.h"

namespace quaverly {

namespace {

// 「●」: every rest is written with this head.
constexpr std::string_view RestHead = "\x81\x9C";
// 「＊」 staccato and 「Ｔ」 tie.
constexpr std::string_view StaccatoMark = "\x81\x96";
constexpr std::string_view TieMark = "\x82\x73";

struct PendingEvent {
    int note = 0;  // 0 with gate 0: nothing yet
    int gate = 0;
    int start = 0;
};

void EmitPending(std::string& text, const PendingEvent& pending, int duration)
{
    if (pending.gate == 0) {
        if (duration != 0) {
            text += RestHead;
            text += DurationText(duration);
        }
        return;
    }
    text += NoteName(pending.note);
    text += DurationText(duration);
    text += GateSuffix(duration, pending.gate);
}

}  // namespace

std::string GateSuffix(int duration, int gate)
{
    if (duration == gate + 2) {
        return {};
    }
    if (duration == 2 * gate) {
        return std::string(StaccatoMark);
    }
    if (gate == duration + 1) {
        return std::string(TieMark);
    }
    // Appended piece by piece: "[" + std::to_string(...) trips a false -Wrestrict of GCC 12 at -O3.
    std::string suffix = "[";
    suffix += std::to_string(gate);
    suffix += ']';
    return suffix;
}

std::string VoiceScoreText(SequenceList& list, int voice)
{
    SortSequenceForTrack(list);
    PendingEvent pending;
    int time = 0;
    bool found = false;
    std::string text;
    for (const std::string& line : list) {
        time = LineTime(line);
        if (LineVoice(line) != voice || IsRawLine(line)) {
            continue;  // raw bytes have no note and no length
        }
        EmitPending(text, pending, time - pending.start);
        const int note = LineNote(line);
        if (note == -1) {
            // The voice ends here. An end line alone (the track's end, listed
            // on voice 0) does not make a voice that holds no event of its own.
            return found ? text : std::string{};
        }
        found = true;
        pending = PendingEvent{note, LineGate(line), time};
    }
    // The last event lasts until the last line of the whole list.
    EmitPending(text, pending, time - pending.start);
    return found ? text : std::string{};
}

void FillSequenceView(const SequenceList& list, std::vector<SequenceRow>& rows)
{
    for (size_t k = 0; k < list.size(); ++k) {
        const std::string& line = list[k];
        if (IsRawLine(line)) {
            std::string data = "/";
            data += RawLineHex(line);
            data += '/';
            rows.push_back({std::to_string(LineTime(line)), std::to_string(LineVoice(line)), std::string{}, data});
            continue;
        }
        const int note = LineNote(line);
        if (note == -1 && k + 1 != list.size()) {
            continue;
        }
        rows.push_back({std::to_string(LineTime(line)), std::to_string(LineVoice(line)), std::to_string(note),
                        std::to_string(LineGate(line))});
    }
}

std::optional<EditorFields> LoadMelodyIntoEditor(MelodyStore& store, MelodyFileInfo& info)
{
    if (!store.IsMelodyImage()) {
        return std::nullopt;
    }
    // The listing goes first: it is the one step that can refuse (a melody
    // longer than the time column), and it then has changed nothing.
    store.ListSequence();

    info.copyright = store.HeaderChunk("copy");
    info.date = store.HeaderChunk("date");
    const std::string sorc = store.HeaderChunk("sorc");
    info.sorc = !sorc.empty() && (static_cast<unsigned char>(sorc[0]) & 0x01) != 0;

    EditorFields fields;
    fields.title = store.HeaderChunk("titl");
    store.LoadFFF0Data();
    FillSequenceView(store.Sequence(), fields.sequenceRows);
    fields.tempoText = std::to_string(store.MelodyTempo());
    for (int voice = 0; voice < 4; ++voice) {
        const auto i = static_cast<size_t>(voice);
        fields.toneTexts[i] = store.VoiceToneText(voice);
        fields.volumeTexts[i] = std::to_string(store.VoiceVolume(voice));
        fields.scoreTexts[i] = VoiceScoreText(store.Sequence(), voice);
    }
    return fields;
}

}  // namespace quaverly
