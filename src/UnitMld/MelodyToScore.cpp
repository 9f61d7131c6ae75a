#include "MelodyToScore.h"

#include "NotationTables.h"
#include "ScoreParser.h"
#include "MldLayout.h"

namespace quaverly {

namespace {

// 「●」: every rest is written with this head.
constexpr std::string_view RestHead = "\x81\x9C";

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
            AppendDurationText(text, duration);
        }
        return;
    }
    text += NoteName(pending.note);
    AppendDurationText(text, duration);
    text += GateSuffix(duration, pending.gate);
}

}  // namespace

std::array<std::string, VoiceCount> VoiceScoreTexts(SequenceList& list)
{
    list.Sort();
    // One pass for all four voices; each follows its own lines only.
    struct VoiceState {
        PendingEvent pending;
        bool found = false;
        bool ended = false;
        std::string text;
    };
    std::array<VoiceState, VoiceCount> voices;
    int time = 0;
    for (const SequenceEntry& entry : list) {
        time = entry.Time();
        const int voice = entry.Voice();
        if (voice < 0 || voice > 3 || voices[static_cast<size_t>(voice)].ended) {
            continue;
        }
        VoiceState& state = voices[static_cast<size_t>(voice)];
        if (entry.IsRaw()) {
            continue;  // raw bytes have no note and no length
        }
        EmitPending(state.text, state.pending, time - state.pending.start);
        if (entry.IsEnd()) {
            // The voice ends at its end line. An end line alone (the track's
            // end, listed on voice 0) does not make a voice with no event of its own.
            state.ended = true;
            continue;
        }
        state.found = true;
        state.pending = PendingEvent{entry.Note(), entry.Gate(), time};
    }
    std::array<std::string, VoiceCount> texts;
    for (size_t i = 0; i < voices.size(); ++i) {
        VoiceState& state = voices[i];
        if (!state.ended) {
            // The last event lasts until the last line of the whole list.
            EmitPending(state.text, state.pending, time - state.pending.start);
        }
        if (state.found) {
            texts[i] = std::move(state.text);
        }
    }
    return texts;
}

std::string VoiceScoreText(SequenceList& list, int voice)
{
    if (voice < 0 || voice > 3) {
        return {};
    }
    return std::move(VoiceScoreTexts(list)[static_cast<size_t>(voice)]);
}

void FillSequenceView(const SequenceList& list, std::vector<SequenceRow>& rows)
{
    rows.reserve(rows.size() + list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        const SequenceEntry& entry = list[k];
        if (entry.IsRaw()) {
            std::string data = "/";
            data += list.RawText(entry);
            data += '/';
            rows.push_back({std::to_string(entry.Time()), std::to_string(entry.Voice()), std::string{}, data});
            continue;
        }
        if (entry.IsEnd() && k + 1 != list.size()) {
            continue;
        }
        rows.push_back({std::to_string(entry.Time()), std::to_string(entry.Voice()), std::to_string(entry.Note()),
                        std::to_string(entry.Gate())});
    }
}

std::optional<EditorFields> LoadMelodyIntoEditor(MelodyStore& store, MelodyFileInfo& info, ViewRows rows)
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
    if (rows == ViewRows::Fill) {
        FillSequenceView(store.Sequence(), fields.sequenceRows);
    }
    fields.tempoText = std::to_string(store.MelodyTempo());
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice);
        fields.toneTexts[i] = store.VoiceToneText(voice);
        fields.volumeTexts[i] = std::to_string(store.VoiceVolume(voice));
    }
    fields.scoreTexts = VoiceScoreTexts(store.Sequence());
    return fields;
}

}  // namespace quaverly
