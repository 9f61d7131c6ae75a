// quaverly-cli import: numeric melody text (".c99"), a pocket-melody file
// (".pmr") or a Standard MIDI File (".mid", ".midi") into a melody file, as
// the window's import command reads them.
#include <sstream>

#include "BatchRunner.h"
#include "CliSupport.h"
#include "Subcommands.h"
#include "TextMelodyInput.h"
#include "UnitMld/FileKind.h"
#include "UnitMidi/MidiFileReader.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMfi/MfiImport.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitNum/NumericImport.h"
#include "UnitText/TextMelodyImport.h"
#include "UnitXml/MusicXmlImport.h"
#include "base/FileIO.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli import FILE.c99|FILE.pmr|FILE.mid|FILE.mld|FILE.rtttl|FILE.mml|FILE.txt|FILE.musicxml|FILE.xml|FILE.mxl... (-o OUT | -d OUTDIR) [--jobs N] [--channels LIST] [--text]\n"
    "\n"
    "Reads numeric melody text (.c99: lines of MIDI note, length and channel),\n"
    "a pocket-melody file (.pmr: a melody behind a 192-byte header) or a\n"
    "Standard MIDI File (.mid, .midi: format 0 or 1) or a melody file of another\n"
    "maker (.mld in the MFi layout: several tracks, 4-byte notes) and writes the\n"
    "melody file. A melody of another maker goes the MIDI file's way, its\n"
    "channel 4 x track + voice + 1 taken as that MIDI channel.\n"
    "A MusicXML score (.musicxml, .xml, or the compressed .mxl) goes the same\n"
    "way, each part (each staff of a part of several) a channel in score order;\n"
    "repeats and voltas are played out, ties joined, grace notes dropped and\n"
    "counted in the report.\n"
    "A MIDI file's import report (notes read, kept per voice, what could not\n"
    "come) is printed on standard error. Other extensions are refused as the\n"
    "window refuses them, and so are a file that is not a melody and a\n"
    "malformed MIDI file (exit 1).\n"
    "\n"
    "RTTTL (.rtttl) and MML (.mml; a .txt file holding either) go the MIDI\n"
    "file's way too, an MML track N taken as channel N; what the text reader\n"
    "cannot read is listed as FILE:LINE:COLUMN on standard error.\n"
    "\n"
    "  -o FILE          the melody file to write (\"-\": standard output)\n"
    "  -d OUTDIR        several inputs: write OUTDIR/NAME.mld (NAME.tml with\n"
    "                   --text) for each, go on past a file that fails (a line\n"
    "                   with its reason), end with a summary; exit 1 when any failed\n"
    "  --jobs N         inputs imported at once (default: every processor)\n"
    "  --channels LIST  MIDI channels 1..16 (or channels of a melody of another\n"
    "                   maker) for the voices, in voice order,\n"
    "                   e.g. 1,2,5 (at most four; default: the automatic choice)\n"
    "  --text           write melody text (.tml) instead of the melody file\n";

std::vector<int> ChannelList(const std::string& text)
{
    std::vector<int> channels;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        if (item.empty() || item.size() > 2 || item.find_first_not_of("0123456789") != std::string::npos) {
            throw UsageError("--channels needs MIDI channels 1 to 16 separated by commas, e.g. 1,2,5");
        }
        channels.push_back(std::stoi(item));
    }
    if (channels.empty()) {
        throw UsageError("--channels needs MIDI channels 1 to 16 separated by commas, e.g. 1,2,5");
    }
    return channels;
}

void WriteMelodyOrText(MelodyStore& store, const std::string& output, bool asText)
{
    if (!asText) {
        SaveImage(store, output);
        return;
    }
    MelodyFileInfo info;
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info);
    if (!fields) {
        Refuse(Msg::DataFormatAbnormal);
    }
    EditorTexts texts{.tempo = fields->tempoText,
                      .title = fields->title,
                      .tones = fields->toneTexts,
                      .volumes = fields->volumeTexts,
                      .scores = fields->scoreTexts};
    WriteOutput(output, MelodyTextBytes(texts, info));
}

// One input imported into output; the MIDI import's report is returned for
// standard error.
std::string ImportOne(const Arguments& arguments, const std::string& input, const std::string& output)
{
    MelodyStore store;
    if (IsTextMelodyPath(input)) {
        const std::vector<int> channels =
            arguments.Has("--channels") ? ChannelList(arguments.Value("--channels", "")) : std::vector<int>{};
        std::string report = ImportTextMelodyFile(input, channels, store);
        WriteMelodyOrText(store, output, arguments.Has("--text"));
        return report;
    }
    const FileKind kind = FileKindOf(input);
    const bool midi = kind == FileKind::Midi;
    const bool musicXml = IsMusicXmlPath(input);
    std::optional<MfiMelody> foreign;
    if (kind == FileKind::Melody) {
        LoadImage(store, input);
        foreign = ForeignMelody(store, input);
        store.ClearMelody();
    }
    if (arguments.Has("--channels") && !midi && !foreign && !musicXml) {
        throw UsageError("--channels is for a MIDI file (.mid, .midi) or a melody file of another maker");
    }
    if (midi || foreign || musicXml) {
        const std::vector<int> channels =
            arguments.Has("--channels") ? ChannelList(arguments.Value("--channels", "")) : std::vector<int>{};
        ImportedMelody melody =
            foreign    ? ImportMfiMelody(*foreign, channels)
            : musicXml ? ImportMusicXmlFile(ReadInput(input, MaxMusicXmlFileSize), input, channels)
                       : ImportMidiFile(ReadInput(input, MaxMidiFileSize), input, channels);
        BuildImportedMelody(store, melody);
        WriteMelodyOrText(store, output, arguments.Has("--text"));
        return MidiImportReportText(melody.report);
    }
    if (kind == FileKind::NumericText) {
        ImportNumericText(store, ReadInput(input));
    } else if (kind == FileKind::PocketMelody) {
        store.OpenMelodyFile(input);
    } else {
        Refuse(Msg::NotSupported);
    }
    if (!store.IsMelodyImage()) {
        Refuse(Msg::DataFormatAbnormal);
    }
    WriteMelodyOrText(store, output, arguments.Has("--text"));
    return {};
}

int RunImport(const std::vector<std::string>& args)
{
    Arguments arguments(args, WithBatchOptionRules({{"-o", true}, {"--channels", true}, {"--text", false}}), 1, SIZE_MAX);
    const BatchPlan plan = ReadBatchPlan(arguments);
    if (IsBatch(plan)) {
        RequireOutDir(plan);
        const std::string extension = arguments.Has("--text") ? ".tml" : ".mld";
        return RunBatch(plan, [&](const std::string& input) {
            return BatchResult{{}, ForPerson(ImportOne(arguments, input, BatchOutputPath(plan, input, extension)))};
        });
    }
    Print(stderr, ImportOne(arguments, arguments.Positional()[0], arguments.Required("-o")));
    return ExitSuccess;
}

}  // namespace

extern const Subcommand ImportCommand{
    "import", "turn numeric text (.c99), a pocket melody (.pmr), a MIDI file (.mid) or another maker's melody (.mld) into a melody file", Help,
    RunImport};

}  // namespace quaverly::cli
