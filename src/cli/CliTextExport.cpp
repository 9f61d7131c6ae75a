// quaverly-cli rtttl and mml: a melody file (opened as the window opens one)
// or a melody text file (analysed as "build" does) written as RTTTL (one
// voice) or MML (the four voices), at the written tempo.
#include <algorithm>

#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitText/MmlWriter.h"
#include "UnitText/RtttlWriter.h"
#include "UnitText/TextMessages.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view RtttlHelp =
    "Usage: quaverly-cli rtttl SONG [--voice N] [-o OUT.rtttl]\n"
    "\n"
    "Writes one voice of the melody as RTTTL, the ringtone text of older phones\n"
    "and of buzzer boards (name:d=4,o=5,b=125:8e6,8d6,...). SONG is a melody file\n"
    "(.mld, .pmr, or \"-\" for an image on standard input) or a melody text file\n"
    "(.tml, analysed as \"build\" does). The name comes from the title's ASCII\n"
    "characters (the file's base name for a title without ASCII letters), at\n"
    "most ten; b= is the written tempo; d= and o= make the text shortest.\n"
    "What RTTTL cannot say is changed and every change is counted on standard\n"
    "error: lengths become the nearest RTTTL length (the time given to or taken\n"
    "from the next rest), the voice moves by whole octaves into octaves 4..7,\n"
    "a chord keeps its top note.\n"
    "\n"
    "  --voice N  the voice 1..4 (default: the first voice with notes)\n"
    "  -o FILE    the file to write (\"-\" or none: standard output)\n";

constexpr std::string_view MmlHelp =
    "Usage: quaverly-cli mml SONG [-o OUT.mml]\n"
    "\n"
    "Writes the four voices as MML in the dialect of mml2smf, one track a voice\n"
    "separated by \";\": t (the written tempo), @ (the tone), v (the volume),\n"
    "o < > (octaves, \"<\" up), l, lengths with dots and ties \"^\", r, q (the gate\n"
    "in eighths). Timing is exact at 48 ticks to the quarter note. SONG as for\n"
    "\"rtttl\". Notes of one voice at one onset below the top one cannot be\n"
    "written and are counted on standard error.\n"
    "\n"
    "  -o FILE    the file to write (\"-\" or none: standard output)\n";

// The melody of the input with its checked settings.
TextMelody TextMelodyForInput(const std::string& input)
{
    MelodyStore store;
    MelodyFileInfo info;
    const EditorTexts texts = LoadSong(input, false, store, info);
    SettingValues values;
    if (std::optional<std::string> refusal = CheckSettingTexts(texts, values)) {
        Refuse(*refusal);
    }
    TextMelody melody;
    melody.title = texts.title;
    melody.tempo = values.tempo;
    melody.tones = values.tones;
    melody.volumes = values.volumes;
    melody.voices = VoiceNotesOf(store.Sequence());
    return melody;
}

std::string BaseName(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void WriteText(const Arguments& arguments, const std::string& text)
{
    WriteOutput(arguments.Value("-o", "-"), text);
}

int RunRtttl(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"-o", true}, {"--voice", true}}, 1, 1);
    const std::string input = arguments.Positional()[0];
    int voice = -1;
    if (arguments.Has("--voice")) {
        const std::string text = arguments.Value("--voice", "");
        if (text.size() != 1 || text[0] < '1' || text[0] > '4') {
            throw UsageError("--voice needs a voice 1 to 4");
        }
        voice = text[0] - '1';
    }
    const TextMelody melody = TextMelodyForInput(input);
    if (voice < 0) {
        voice = FirstVoiceWithNotes(melody);
    }
    if (voice < 0 || !std::any_of(melody.voices[static_cast<size_t>(voice)].begin(), melody.voices[static_cast<size_t>(voice)].end(),
                                  [](const TextNote& note) { return !note.IsRest(); })) {
        Refuse(std::string(TextMsg::EmptyVoice) + std::to_string(std::max(voice, 0) + 1) + std::string(TextMsg::VoiceTail));
    }
    const RtttlExport exported = WriteRtttl(melody.voices[static_cast<size_t>(voice)],
                                            RtttlName(melody.title, BaseName(input)), melody.tempo);
    WriteText(arguments, exported.text + "\n");
    Print(stderr, RtttlChangesText(exported.changes, voice + 1));
    return ExitSuccess;
}

int RunMml(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"-o", true}}, 1, 1);
    const MmlExport exported = WriteMml(TextMelodyForInput(arguments.Positional()[0]));
    WriteText(arguments, exported.text);
    if (exported.chordNotesDropped > 0) {
        PrintLine(stderr, std::string(TextMsg::ChordNotesDroppedMml) + std::to_string(exported.chordNotesDropped) +
                              std::string(TextMsg::Pieces));
    }
    return ExitSuccess;
}

}  // namespace

extern const Subcommand RtttlCommand{"rtttl", "write one voice as RTTTL ringtone text", RtttlHelp, RunRtttl};
extern const Subcommand MmlCommand{"mml", "write the four voices as MML (mml2smf's dialect)", MmlHelp, RunMml};

}  // namespace quaverly::cli
