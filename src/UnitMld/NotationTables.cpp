#include "NotationTables.h"

#include <algorithm>

namespace quaverly {

// The texts are Shift-JIS bytes; each entry shows its text in the comment.

const std::array<TMLDConst, 14> NoteHeadTable{{
    {"\x83\x68", 28},          // ド
    {"\x83\x8C", 30},          // レ
    {"\x83\x7E", 32},          // ミ
    {"\x83\x74\x83\x40", 33},  // ファ
    {"\x83\x5C", 35},          // ソ
    {"\x83\x89", 37},          // ラ
    {"\x83\x56", 39},          // シ
    {"\x81\x9C", -1},          // ●
    {"\x81\x45", -1},          // ・
    {"\x81\xA2", -1},          // △
    {"\x81\x9B", -1},          // ○
    {"\x8B\x78", -1},          // 休
    {"\x82\x71", -1},          // Ｒ
    {"\x81\x5E", -2},          // ／
}};

// "２．" and "２３" come before "２", "１６" before "１": the longer spelling wins.
const std::array<TMLDConst, 18> DurationTable{{
    {"\x91\x53", 192},                 // 全
    {"\x82\x51\x81\x44", 144},         // ２．
    {"\x82\x51\x82\x52", 64},          // ２３
    {"\x82\x51", 96},                  // ２
    {"\x82\x53\x81\x44", 72},          // ４．
    {"\x82\x53\x82\x52", 32},          // ４３
    {"\x82\x53", 48},                  // ４
    {"\x82\x57\x81\x44", 36},          // ８．
    {"\x82\x57\x82\x52", 16},          // ８３
    {"\x82\x57", 24},                  // ８
    {"\x82\x50\x82\x55\x81\x44", 18},  // １６．
    {"\x82\x50\x82\x55\x82\x52", 8},   // １６３
    {"\x82\x50\x82\x55", 12},          // １６
    {"\x82\x52\x82\x51\x81\x44", 9},   // ３２．
    {"\x82\x52\x82\x51\x82\x52", 4},   // ３２３
    {"\x82\x52\x82\x51", 6},           // ３２
    {"\x82\x55\x82\x53", 3},           // ６４
    {"\x82\x50", 192},                 // １
}};

const std::array<TMLDConst, 9> PitchMarkTable{{
    {"\x81\x94", 1},    // ＃
    {"\x81\xA3", 12},   // ▲
    {"\x81\xA5", -12},  // ▼
    {"\x81\x50", 12},   // ￣
    {"\x81\x51", -12},  // ＿
    {"\x81\xAA", 12},   // ↑
    {"\x81\xAB", -12},  // ↓
    {"\x81\xF2", 1},    // ♯
    {"\x81\xF3", -1},   // ♭
}};

const std::array<TMLDConst, 3> ArticulationTable{{
    {"\x81\x96", 1},  // ＊
    {"\x82\x73", 2},  // Ｔ
    {"\x81\xDC", 2},  // ⌒
}};

int64_t ArticulatedGate(int64_t duration, int articulation)
{
    switch (articulation) {
    case StaccatoArticulation:
        return duration / 2;
    case TieArticulation:
        return duration + 1;
    default:
        return duration - 2;
    }
}

std::string_view ArticulationMark(int articulation)
{
    switch (articulation) {
    case StaccatoArticulation:
        return ArticulationTable[0].text;  // ＊
    case TieArticulation:
        return ArticulationTable[1].text;  // Ｔ
    default:
        return {};
    }
}

std::string GateGroupText(int64_t gate)
{
    // Appended piece by piece: "[" + std::to_string(...) trips a false -Wrestrict of GCC 12 at -O3.
    std::string text = "[";
    text += std::to_string(gate);
    text += ']';
    return text;
}

std::array<int64_t, 3> ArticulatedDurations(int64_t gate)
{
    // Staccato only where the half is whole: an odd length's gate reads back as a group.
    return {gate + 2, 2 * gate, gate - 1};
}

bool IsPlainForm(int64_t duration, int64_t gate)
{
    for (int64_t plain : ArticulatedDurations(gate)) {
        if (plain == duration) {
            return true;
        }
    }
    return false;
}

std::string GateSuffix(int duration, int gate)
{
    const std::array<int64_t, 3> plain = ArticulatedDurations(gate);
    for (int articulation : {NormalArticulation, StaccatoArticulation, TieArticulation}) {
        if (plain[static_cast<size_t>(articulation)] == duration) {
            return std::string(ArticulationMark(articulation));
        }
    }
    return GateGroupText(gate);
}

const std::array<TMLDConst, 16> ToneTable{{
    {"\x83\x73\x83\x41\x83\x6D", 0},                                   // ピアノ
    {"\x82\xC4\x82\xC1\x82\xAB\x82\xF1", 9},                           // てっきん
    {"\x83\x49\x83\x8B\x83\x53\x81\x5B\x83\x8B", 10},                  // オルゴール
    {"\x82\xE0\x82\xC1\x82\xAB\x82\xF1", 12},                          // もっきん
    {"\x83\x49\x83\x8B\x83\x4B\x83\x93", 16},                          // オルガン
    {"\x83\x41\x83\x52\x81\x5B\x83\x66\x83\x42\x83\x49\x83\x93", 21},  // アコーディオン
    {"\x83\x4D\x83\x5E\x81\x5B", 24},                                  // ギター
    {"\x83\x78\x81\x5B\x83\x58", 32},                                  // ベース
    {"\x83\x6F\x83\x43\x83\x49\x83\x8A\x83\x93", 40},                  // バイオリン
    {"\x83\x6E\x81\x5B\x83\x76", 46},                                  // ハープ
    {"\x83\x67\x83\x89\x83\x93\x83\x79\x83\x62\x83\x67", 56},          // トランペット
    {"\x83\x41\x83\x8B\x83\x67\x83\x54\x83\x62\x83\x4E\x83\x58", 65},  // アルトサックス
    {"\x83\x4E\x83\x89\x83\x8A\x83\x6C\x83\x62\x83\x67", 71},          // クラリネット
    {"\x83\x74\x83\x8B\x81\x5B\x83\x67", 73},                          // フルート
    {"\x83\x4E\x83\x8A\x83\x58\x83\x5E\x83\x8B", 98},                  // クリスタル
    {"\x8B\xD5", 107},                                                 // 琴
}};

const std::array<TMLDConst, 11> TempoTable{{
    {"\x92\x78\x82\xA2", 35},   // 遅い
    {"\x92\x78\x82\xA2", 45},   // 遅い
    {"\x92\x78\x82\xA2", 65},   // 遅い
    {"\x92\x78\x82\xA2", 85},   // 遅い
    {"\x92\x78\x82\xA2", 105},  // 遅い
    {"\x95\x57\x8F\x80", 125},  // 標準
    {"\x91\xAC\x82\xA2", 145},  // 速い
    {"\x91\xAC\x82\xA2", 165},  // 速い
    {"\x91\xAC\x82\xA2", 185},  // 速い
    {"\x91\xAC\x82\xA2", 205},  // 速い
    {"\x91\xAC\x82\xA2", 225},  // 速い
}};

namespace {

// The twelve names of an octave, sharps only, from "ド".
constexpr std::array<std::string_view, 12> StepNames{
    "\x83\x68",                  // ド
    "\x83\x68\x81\x94",          // ド＃
    "\x83\x8C",                  // レ
    "\x83\x8C\x81\x94",          // レ＃
    "\x83\x7E",                  // ミ
    "\x83\x74\x83\x40",          // ファ
    "\x83\x74\x83\x40\x81\x94",  // ファ＃
    "\x83\x5C",                  // ソ
    "\x83\x5C\x81\x94",          // ソ＃
    "\x83\x89",                  // ラ
    "\x83\x89\x81\x94",          // ラ＃
    "\x83\x56",                  // シ
};
constexpr std::string_view OctaveUp = "\x81\xA3";    // ▲
constexpr std::string_view OctaveDown = "\x81\xA5";  // ▼

// One note name: at most "ファ＃" and three octave marks, 12 bytes.
struct NoteNameText {
    std::array<char, 16> bytes{};
    size_t size = 0;

    constexpr void Append(std::string_view text)
    {
        for (char c : text) {
            bytes[size++] = c;
        }
    }
};

// The names of notes 0..63 by their rule: with k = n + 9, the step k mod 12
// of the octave from "ド", then |k div 12 - 3| octave marks, up when positive.
// Note 0 is "ラ▼▼▼", 27 the unmarked "ド", 63 "ド▲▲▲".
constexpr std::array<NoteNameText, 64> MakeNoteNameTable()
{
    std::array<NoteNameText, 64> table{};
    for (int n = 0; n < 64; ++n) {
        const int k = n + 9;
        const int octave = k / 12 - 3;
        table[n].Append(StepNames[k % 12]);
        for (int i = 0; i < (octave < 0 ? -octave : octave); ++i) {
            table[n].Append(octave > 0 ? OctaveUp : OctaveDown);
        }
    }
    return table;
}

constexpr std::array<NoteNameText, 64> NoteNameTable = MakeNoteNameTable();

// General MIDI program names by 1-based program number, spelled as the tone
// query shows them (the odd spellings are part of that text).
constexpr std::array<std::string_view, 128> InstrumentNameTable{
    "Grand Piano",   "Bright Piano",  "El.GrandPiano", "HonkytonkPno",   // 1..4
    "El.Piano 1",    "El.Piano 2",    "Harpsichord",   "Clavi",          // 5..8
    "Celesta",       "Glockenspiel",  "MusicBox",      "Vibraphone",     // 9..12
    "Marimba",       "Xylophone",     "TubularBells",  "Dulcimer",       // 13..16
    "Drawbar Organ", "Perc.Organ",    "Rock Organ",    "Church Organ",   // 17..20
    "Reed Organ",    "Accordion",     "Harmonica",     "TangoAccord.",   // 21..24
    "Nylon Guitar",  "Steel Guitar",  "Jazz Guitar",   "Clean Guitar",   // 25..28
    "Muted Guitar",  "OverdriveGtr",  "Dist.Guitar",   "GtrHarmonics",   // 29..32
    "Acoustic Bass", "Finger Bass",   "Pick Bass",     "Fretless Bass",  // 33..36
    "Slap Bass 1",   "Slap Bass 2",   "Synth Bass 1",  "Synth Bass 2",   // 37..40
    "Violin",        "Viola",         "Cello",         "Contrabass",     // 41..44
    "TremoloStrngs", "PizzicatoStr.", "OrchestraHarp", "Timpani",        // 45..48
    "Strings 1",     "Strings 2",     "SynthStrings1", "SynthStrings2",  // 49..52
    "Choir Aahs",    "Voice Oohs",    "Synth Voice",   "Orchestra Hit",  // 53..56
    "Trumpet",       "Trombone",      "Tuba",          "Muted Trumpet",  // 57..60
    "French Horn",   "Brass Section", "SynthBrass 1",  "SynthBrass 2",   // 61..64
    "Soprano Sax",   "Alto Sax",      "Tenor Sax",     "Baritone Sax",   // 65..68
    "Oboe",          "English Horn",  "Bassoon",       "Clarinet",       // 69..72
    "Piccolo",       "Flute",         "Recorder",      "Pan Flute",      // 73..76
    "Blown Bottle",  "Shakuhachi",    "Whistle",       "Ocarina",        // 77..80
    "Square Lead",   "Saw Lead",      "Calliope Lead", "Chiff Lead",     // 81..84
    "Charang Lead",  "Voice Lead",    "Fifths Lesd",   "Bass & Lead",    // 85..88
    "New Age Pad",   "Warm Pad",      "PolySynthPad",  "Choir Pad",      // 89..92
    "Bowed Pad",     "Metallic Pad",  "Halo Pad",      "Sweep Pad",      // 93..96
    "Rain",          "Sound Track",   "Crystal",       "Atmosphere",     // 97..100
    "Brightness",    "Goblins",       "Echoes",        "Sci-Fi",         // 101..104
    "Sitar",         "Banjo",         "Shamisen",      "Koto",           // 105..108
    "Kalimba",       "Bagpipe",       "Fiddle",        "Shanai",         // 109..112
    "Tinkle Bell",   "Agogo",         "Steel Drums",   "WoodBlock",      // 113..116
    "Taiko Drum",    "Melodic Tom",   "Synth Drum",    "ReverseCymbal",  // 117..120
    "Fret Noise",    "Breath Noise",  "Seashore",      "Bird Tweet",     // 121..124
    "TelephoneRing", "Helicopter",    "Applause",      "Gunshot",        // 125..128
};

}  // namespace

std::string_view NoteName(int note)
{
    const NoteNameText& name = NoteNameTable[static_cast<size_t>(std::clamp(note, 0, 63))];
    return {name.bytes.data(), name.size};
}

std::string_view InstrumentName(int program)
{
    return InstrumentNameTable[static_cast<size_t>(std::clamp(program, 1, 128) - 1)];
}

std::string_view ToneName(int program)
{
    const int clamped = std::clamp(program, 1, 128);
    for (const TMLDConst& entry : ToneTable) {
        if (entry.value == clamped - 1) {
            return entry.text;
        }
    }
    return InstrumentName(clamped);
}

}  // namespace quaverly
