// The way back from this program's own MIDI files: a melody written as a
// MIDI file (tempo adjustment 100) and imported again writes the same MIDI
// file, and a melody typed in the plain forms comes back as the same text.
#include <gtest/gtest.h>

#include <random>

#include "base/TextEncoding.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/NotationTables.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/ScoreParser.h"

namespace quaverly {
namespace {

class Random {
public:
    explicit Random(uint32_t seed) : m_engine(seed) {}
    int Between(int low, int high) { return low + static_cast<int>(m_engine() % static_cast<uint32_t>(high - low + 1)); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

private:
    std::mt19937 m_engine;
};

// The MIDI export of a melody image as `quaverly-cli midi X.mld --edit-tempo 100` makes it.
std::string MidiOfImage(const std::string& image, EditorFields* loaded = nullptr)
{
    MelodyStore store;
    MelodyFileInfo info;
    store.MelodyImage() = image;
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info);
    EXPECT_TRUE(fields);
    if (!fields) {
        return {};
    }
    MidiSettings settings;
    settings.editTempo = "100";
    settings.title = fields->title;
    EXPECT_FALSE(CheckTempoText(fields->tempoText, settings.tempo));
    EXPECT_FALSE(CheckToneTexts(fields->toneTexts, settings.tones));
    EXPECT_FALSE(CheckVolumeTexts(fields->volumeTexts, settings.volumes));
    if (loaded != nullptr) {
        *loaded = *fields;
    }
    return MidiFileBytes(store.Sequence(), settings);
}

std::string Compile(const EditorTexts& texts)
{
    MelodyStore store;
    MelodyFileInfo info;
    info.version = "0100";
    const AnalysisResult result = AnalyseScore(store, texts, info, false);
    EXPECT_FALSE(result.refusal);
    return store.MelodyImage();
}

std::string Reimported(const std::string& midi)
{
    const ImportedMelody melody = ImportMidiFile(midi, "x.mid");
    MelodyStore store;
    BuildImportedMelody(store, melody);
    return store.MelodyImage();
}

EditorTexts RandomSettings(Random& random)
{
    EditorTexts texts;
    texts.tempo = std::to_string(random.Between(1, 255));
    texts.title = random.Chance(70) ? "Tune " + std::to_string(random.Between(0, 9999)) : Utf8ToSjis("ふるさと");
    for (size_t voice = 0; voice < 4; ++voice) {
        texts.tones[voice] = std::to_string(random.Between(1, 128));
        texts.volumes[voice] = std::to_string(random.Chance(10) ? 0 : random.Between(0, 63));
    }
    return texts;
}

// Any score: lengths beyond the table, gates in brackets past the next note.
std::string AnyVoiceText(Random& random)
{
    std::string text;
    const int events = random.Between(1, 30);
    for (int i = 0; i < events; ++i) {
        const bool rest = random.Chance(15);
        text += rest ? Utf8ToSjis("●") : std::string(NoteName(random.Between(0, 63)));
        text += random.Chance(80) ? std::string(DurationTable[static_cast<size_t>(random.Between(0, 17))].text)
                                  : "(" + std::to_string(random.Between(1, 300)) + ")";
        switch (rest ? 9 : random.Between(0, 5)) {
        case 0: text += Utf8ToSjis("＊"); break;
        case 1: text += Utf8ToSjis("Ｔ"); break;
        case 2: text += "[" + std::to_string(random.Between(1, 300)) + "]"; break;
        default: break;
        }
    }
    return text;
}

TEST(MidiRoundTrip, AnyMelodyWritesTheSameMidiFileAfterAnImport)
{
    for (uint32_t seed = 1; seed <= 500; ++seed) {
        Random random(seed);
        EditorTexts texts = RandomSettings(random);
        for (std::string& score : texts.scores) {
            score = random.Chance(80) ? AnyVoiceText(random) : "";
        }
        const std::string midi = MidiOfImage(Compile(texts));
        // Compared as a flag: a failure message of two whole files says nothing.
        ASSERT_TRUE(MidiOfImage(Reimported(midi)) == midi) << "seed " << seed;
    }
}

struct Typed {
    int duration;
    int gate;         // 0 for a rest
    std::string text;
    int note = -1;
};

int GateOf(int duration, int articulation)
{
    return articulation == 0 ? duration - 2 : articulation == 1 ? duration / 2 : duration + 1;
}

bool IsTable(int ticks)
{
    return std::any_of(DurationTable.begin(), DurationTable.end(), [ticks](const TMLDConst& e) { return e.value == ticks; });
}

// The ways a note of gate g can fill a span with a plain form and maybe a
// rest; a typed note and rest are kept only when theirs is the only one.
int PlainReadings(int gate, int span)
{
    int readings = 0;
    for (int duration : {gate + 2, 2 * gate, gate - 1}) {
        readings += (duration > 0 && duration <= span && IsTable(duration) && (duration == span || IsTable(span - duration)))
                        ? 1
                        : 0;
    }
    return readings;
}

// A voice of plain forms that fills exactly `length` ticks.
std::string PlainVoiceText(Random& random, int voice, int length)
{
    std::vector<Typed> items;
    int left = length;
    while (left > 0) {
        const bool afterRest = !items.empty() && items.back().gate == 0;
        const TMLDConst& entry = DurationTable[static_cast<size_t>(random.Between(0, 16))];  // "１" is "全" again
        if (entry.value > left) {
            if (left < 3 || random.Chance(10)) {
                return {};  // no plain ending: the caller tries again
            }
            continue;
        }
        if (!afterRest && !items.empty() && random.Chance(20)) {
            items.push_back({entry.value, 0, Utf8ToSjis("●") + std::string(entry.text)});
        } else {
            const int note = random.Between(0, Mld::HighestNoteOfVoice(voice));
            const int articulation = random.Between(0, 3) % 3;  // normal twice as often
            const int gate = GateOf(entry.value, articulation);
            // The suffix that the way back writes must be the one typed.
            const bool normal = entry.value == gate + 2;
            const bool staccato = entry.value == 2 * gate;
            if ((articulation == 1 && (normal || !staccato)) || (articulation == 2 && (normal || staccato))) {
                continue;
            }
            // A tie into the same key is one long note in a MIDI file.
            if (!items.empty() && items.back().gate == items.back().duration + 1 && items.back().note == note) {
                continue;
            }
            const char* suffix[] = {"", "＊", "Ｔ"};
            items.push_back(
                {entry.value, gate, std::string(NoteName(note)) + std::string(entry.text) + Utf8ToSjis(suffix[articulation]), note});
        }
        left -= entry.value;
    }
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        const Typed& item = items[i];
        if (item.gate != 0) {
            const bool restFollows = i + 1 < items.size() && items[i + 1].gate == 0;
            const int span = item.duration + (restFollows ? items[i + 1].duration : 0);
            if (PlainReadings(item.gate, span) != 1) {
                return {};
            }
        }
        text += item.text;
    }
    return text;
}

TEST(MidiRoundTrip, PlainFormsComeBackAsTheSameText)
{
    int melodies = 0;
    for (uint32_t seed = 1; melodies < 100; ++seed) {
        Random random(seed);
        EditorTexts texts = RandomSettings(random);
        // Tempos 1 to 3 all reach the writer's longest quarter note: they come back as 3.
        texts.tempo = std::to_string(random.Between(4, 255));
        const int length = 192 * random.Between(1, 6);
        bool typed = true;
        for (int voice = 0; voice < 4; ++voice) {
            std::string& score = texts.scores[static_cast<size_t>(voice)];
            score.clear();
            if (random.Chance(15)) {
                continue;
            }
            for (int attempt = 0; attempt < 100 && score.empty(); ++attempt) {
                score = PlainVoiceText(random, voice, length);
            }
            typed = typed && !score.empty();
        }
        if (!typed) {
            continue;
        }
        ++melodies;
        EditorFields original;
        const std::string midi = MidiOfImage(Compile(texts), &original);
        EditorFields imported;
        ASSERT_TRUE(MidiOfImage(Reimported(midi), &imported) == midi) << "seed " << seed;
        for (size_t voice = 0; voice < 4; ++voice) {
            ASSERT_EQ(SjisToUtf8(imported.scoreTexts[voice]), SjisToUtf8(texts.scores[voice]))
                << "seed " << seed << " voice " << voice + 1;
        }
        EXPECT_EQ(imported.title, texts.title);
        EXPECT_EQ(imported.tempoText, texts.tempo);
        EXPECT_EQ(imported.volumeTexts, original.volumeTexts);
    }
}

}  // namespace
}  // namespace quaverly
