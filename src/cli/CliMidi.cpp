// quaverly-cli midi: a Standard MIDI File from a melody file, opened as the
// window opens one, or from a melody text file after the score analysis; the
// tempo, tone and volume texts pass the checks of the window's MIDI export.
#include "BatchRunner.h"
#include "CliSupport.h"
#include "base/FileIO.h"
#include "MidiInput.h"
#include "Subcommands.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "base/MessageFormat.h"
#include "base/Messages.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/MldLayout.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli midi INPUT... (-o OUT.mid | -d OUTDIR) [--jobs N] [--edit-tempo TEXT] [--voices DIGITS|none] [--extended]\n"
    "\n"
    "Writes a Standard MIDI File (format 1, 480 ticks to the quarter note).\n"
    "INPUT is a melody file (.mld, .pmr, or \"-\" for an image on standard\n"
    "input), opened as the window opens one, or a melody text file (.tml),\n"
    "analysed as \"build\" does. Refusals (exit 1): another extension, a file\n"
    "that is not a melody, a tempo, tone or volume the window would refuse.\n"
    "A melody file of another maker (MFi) gives a track per channel that it\n"
    "uses (MIDI channel = 4 x track + voice), with its tempo changes, programs,\n"
    "volumes, pans and bends, at 1920 ticks to the quarter note, at the tempo\n"
    "the file states (--edit-tempo and --voices do not apply to it: a note on\n"
    "standard error says so for --edit-tempo); its loop is marked by the\n"
    "markers loopStart and loopEnd and controller 111 at the loop's start.\n"
    "\n"
    "  -o FILE            the MIDI file to write (\"-\": standard output)\n"
    "  -d OUTDIR          several inputs: write OUTDIR/NAME.mid for each INPUT,\n"
    "                     go on past a file that fails (a line with its reason),\n"
    "                     end with a summary; exit 1 when any failed\n"
    "  --jobs N           inputs converted at once (default: every processor)\n"
    "  --edit-tempo TEXT  the tempo adjustment in percent (default 95)\n"
    "  --voices DIGITS    the voices to write, e.g. 13 (default 1234);\n"
    "                     \"none\" writes no voice track\n"
    "  --extended         the extended notation, for a .tml input\n";

std::array<bool, VoiceCount> PlayMaskOf(const std::string& digits)
{
    std::array<bool, VoiceCount> mask{false, false, false, false};
    if (digits == "none") {
        return mask;
    }
    if (digits.empty()) {
        throw UsageError("--voices needs the digits 1 to 4, or none");
    }
    for (char c : digits) {
        if (c < '1' || c > '4') {
            throw UsageError("--voices needs the digits 1 to 4, or none");
        }
        mask[static_cast<size_t>(c - '1')] = true;
    }
    return mask;
}

int RunMidi(const std::vector<std::string>& args)
{
    Arguments arguments(args, WithBatchOptionRules(MidiInputOptionRules({})), 1, SIZE_MAX);
    const BatchPlan plan = ReadBatchPlan(arguments);
    const MidiInputOptions options = ReadMidiInputOptions(arguments);
    if (IsBatch(plan)) {
        RequireOutDir(plan);
        return RunBatch(plan, [&](const std::string& input) {
            WriteOutput(BatchOutputPath(plan, input, ".mid"), MidiBytesForInput(input, options));
            return BatchResult{};
        });
    }
    std::string input = arguments.Positional()[0];
    std::string output = arguments.Required("-o");
    WriteOutput(output, MidiBytesForInput(input, options));
    return ExitSuccess;
}

}  // namespace

std::vector<OptionRule> MidiInputOptionRules(std::initializer_list<OptionRule> own)
{
    std::vector<OptionRule> rules{{"-o", true}, {"--edit-tempo", true}, {"--voices", true}, {"--extended", false}};
    rules.insert(rules.end(), own.begin(), own.end());
    return rules;
}

MidiInputOptions ReadMidiInputOptions(const Arguments& arguments)
{
    return {.editTempo = arguments.Value("--edit-tempo", EditTempoDefault),
            .voices = arguments.Value("--voices", "1234"),
            .extended = arguments.Has("--extended"),
            .editTempoGiven = arguments.Has("--edit-tempo")};
}

std::vector<OptionRule> RenderOptionRules(std::initializer_list<OptionRule> own)
{
    std::vector<OptionRule> rules = MidiInputOptionRules({{"--soundfont", true}});
    rules.insert(rules.end(), own.begin(), own.end());
    return rules;
}

RenderInput ReadRenderInput(const Arguments& arguments, std::string_view command)
{
    RenderInput read{.input = arguments.Positional()[0],
                     .output = arguments.Required("-o"),
                     .options = ReadMidiInputOptions(arguments),
                     .soundFont = arguments.Value("--soundfont", "")};
    if (read.output == "-") {
        throw UsageError(std::string(command) + " writes a file: -o needs a file name");
    }
    return read;
}

std::string MidiBytesForInput(const std::string& input, const MidiInputOptions& options, bool* loopUnrolled)
{
    MidiSettings settings;
    settings.playMask = PlayMaskOf(options.voices);
    settings.editTempo = ArgumentToSjis(options.editTempo, "--edit-tempo");

    MelodyStore store;
    MelodyFileInfo info;
    EditorTexts texts;
    const FileKind kind = FileKindOf(input);
    if (kind == FileKind::MelodyText) {
        ReadMelodyText(ReadInput(input), texts, info);
        AnalysisResult result = AnalyseScore(store, texts, info, options.extended, ViewRows::Skip);
        if (result.refusal) {
            Refuse(*result.refusal);
        }
    } else if (kind == FileKind::Melody || kind == FileKind::PocketMelody || input == "-") {
        LoadImage(store, input);
        if (std::optional<MfiMelody> foreign = ForeignMelody(store, input)) {
            if (options.editTempoGiven) {
                PrintLine(stderr, std::string(Msg::MfiEditTempoIgnored) + input);
            }
            const bool unroll = options.loopPasses > 0 && MfiHasLoop(*foreign);
            if (unroll && !MfiLoopsForever(*foreign)) {
                PrintLine(stderr, WithNumbers(Msg::MfiCountedLoopPlays, {MfiMainLoop(*foreign)->count}) + input);
            }
            if (loopUnrolled != nullptr) {
                *loopUnrolled = unroll;
            }
            return unroll ? MfiMidiFileBytes(*foreign, {MfiMidiShape::Kind::Unrolled, options.loopPasses, options.loopFadeSeconds})
                          : MfiMidiFileBytes(*foreign);
        }
        EditorFields fields = LoadedMelody(store, info);
        texts = {.tempo = fields.tempoText,
                 .title = fields.title,
                 .tones = fields.toneTexts,
                 .volumes = fields.volumeTexts,
                 .scores = {}};
    } else {
        Refuse(Msg::NotSupported);
    }

    settings.title = texts.title;
    SettingValues values;
    if (std::optional<std::string> refusal = CheckSettingTexts(texts, values)) {
        Refuse(*refusal);
    }
    settings.tempo = values.tempo;
    settings.tones = values.tones;
    settings.volumes = values.volumes;
    return MidiFileBytes(store.Sequence(), settings);
}

extern const Subcommand MidiCommand{"midi", "write a Standard MIDI File from a melody or melody text file", Help,
                                    RunMidi};

}  // namespace quaverly::cli
