// quaverly-cli info: what the window shows of a melody file after opening it:
// title, tempo, each voice's tone and volume, and the file information.
#include <cstdio>
#include <string>

#include "BatchRunner.h"
#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MldLayout.h"
#include "UnitMfi/MfiMelody.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli info SONG.mld|SONG.pmr|-... [-d OUTDIR] [--jobs N]\n"
    "\n"
    "Prints the melody's title, tempo, the tone and volume of voices 1 to 4,\n"
    "copyright, date, the protect flag and the FF F0 data (hexadecimal, or\n"
    "\"none\" when the melody has no FF F0 event), one labelled line each.\n"
    "A melody file of another maker (MFi: several tracks, 4-byte notes) shows\n"
    "its title, copyright, format version, tracks, chunks, tempo, length, the\n"
    "notes of each channel (channel = 4 x track + voice + 1), its cue points and\n"
    "loops (slot, start and end, how many times: for ever, N times, no end) and what was\n"
    "skipped; a file that breaks off is shown as far as it goes, with a warning.\n"
    "A file that is not a melody is refused (exit 1).\n"
    "Several inputs are shown one after another, each after a line\n"
    "\"==> INPUT <==\"; a file that fails is named with its reason on standard\n"
    "error and the others go on; a summary ends the run (exit 1 when any failed).\n"
    "\n"
    "  -d OUTDIR  write each report to OUTDIR/NAME.txt instead\n"
    "  --jobs N   inputs read at once (default: every processor)\n";

// The lines of the report, for a person (UTF-8).
using Report = std::string;

void PrintField(Report& report, std::string_view label, std::string_view sjisValue)
{
    report += ForPerson(std::string(label) + ": " + std::string(sjisValue)) + "\n";
}

std::string Number(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A file may hold any number of cue points; the first few are listed.
constexpr size_t MaxListedCuePoints = 8;

void PrintForeignInfo(Report& report, const MfiMelody& melody)
{
    PrintField(report, "Title", melody.title);
    PrintField(report, "Format", "MFi (another maker)");
    PrintField(report, "Version", melody.version);
    PrintField(report, "Copyright", melody.copyright);
    PrintField(report, "Date", melody.date);
    PrintField(report, "Protect", melody.sorc > 0 ? "yes" : "no");
    PrintField(report, "Tracks", std::to_string(melody.trackChunks) + " (header: " + std::to_string(melody.typeBytes[2]) + ")");
    PrintField(report, "Note bytes", std::to_string(melody.noteBytes));
    std::string chunks;
    for (const MfiChunk& chunk : melody.chunks) {
        chunks += (chunks.empty() ? "" : " ") + chunk.tag + "(" + std::to_string(chunk.length) + ")";
    }
    if (static_cast<size_t>(melody.chunkCount) > melody.chunks.size()) {
        chunks += " ... " + std::to_string(melody.chunkCount) + " in all";
    }
    PrintField(report, "Chunks", chunks);
    const MfiTempo first = melody.tempos.empty() ? MfiTempo{} : melody.tempos.front();
    PrintField(report, "Tempo", std::to_string(first.tempo) + " (timebase " + std::to_string(first.timebase) + ", " +
                            std::to_string(melody.tempos.size()) + " tempo events)");
    PrintField(report, "Length", Number("%.3f s", MfiSeconds(melody, melody.endTick)) + " (" + std::to_string(melody.endTick) + " ticks)");
    std::string cues;
    for (size_t i = 0; i < melody.cuePoints.size() && i < MaxListedCuePoints; ++i) {
        const MfiCuePoint& cue = melody.cuePoints[i];
        const std::string kind = cue.IsStart() ? "cue start" : cue.IsEnd() ? "cue end" : "cue " + std::to_string(cue.value);
        cues += (cues.empty() ? "" : ", ") + kind + " at " + Number("%.3f s", MfiSeconds(melody, cue.tick)) + " (tick " +
                std::to_string(cue.tick) + ")";
    }
    if (melody.cuePoints.size() > MaxListedCuePoints) {
        cues += " ... " + std::to_string(melody.cuePoints.size()) + " in all";
    }
    PrintField(report, "Cue points", cues.empty() ? "none" : cues);
    std::string loops;
    const std::vector<MfiLoop> found = MfiLoops(melody);
    for (size_t i = 0; i < found.size() && i < MaxListedCuePoints; ++i) {
        const MfiLoop& loop = found[i];
        loops += (loops.empty() ? "" : ", ") + std::string("slot ") + std::to_string(loop.slot) + " " +
                 Number("%.3f s", MfiSeconds(melody, loop.start)) + " to " + Number("%.3f s", MfiSeconds(melody, loop.end)) +
                 " (tick " + std::to_string(loop.start) + " to " + std::to_string(loop.end) + ", " +
                 (!loop.hasEnd ? std::string("no end") : loop.Forever() ? std::string("for ever") : std::to_string(loop.count) + " times") +
                 ")";
    }
    if (found.size() > MaxListedCuePoints) {
        loops += " ... " + std::to_string(found.size()) + " in all";
    }
    PrintField(report, "Loops", loops.empty() ? "none" : loops);
    PrintField(report, "Notes", std::to_string(melody.notes.size()));
    const std::array<int, MfiLaneCount> counts = melody.NotesPerLane();
    for (int lane = 0; lane < MfiLaneCount; ++lane) {
        if (counts[static_cast<size_t>(lane)] > 0) {
            PrintField(report, "Channel " + std::to_string(lane + 1) + " (track " + std::to_string(lane / 4 + 1) + " voice " +
                           std::to_string(lane % 4 + 1) + (lane == MfiPercussionLane ? ", percussion" : "") + ")",
                       std::to_string(counts[static_cast<size_t>(lane)]) + " notes");
        }
    }
    const MfiSkipped& skipped = melody.skipped;
    PrintField(report, "Skipped", "unknown chunks " + std::to_string(skipped.unknownChunks) + ", audio chunks (not played) " +
                              std::to_string(skipped.audioChunks) + ", tracks past the fourth " +
                              std::to_string(skipped.extraTracks) + ", resource events " +
                              std::to_string(skipped.resourceEvents) + ", maker events " +
                              std::to_string(skipped.makerEvents) + ", other events " + std::to_string(skipped.otherEvents));
    PrintField(report, "Complete", melody.partial ? "no: " + melody.partialMessage : "yes");
}

// The report of one input file.
Report InfoOf(const std::string& input)
{
    Report report;
    MelodyStore store;
    MelodyFileInfo info;
    LoadImage(store, input);
    if (std::optional<MfiMelody> foreign = ForeignMelody(store, input)) {
        PrintForeignInfo(report, *foreign);
        return report;
    }
    EditorFields fields = LoadedMelody(store, info);
    PrintField(report, "Title", fields.title);
    PrintField(report, "Tempo", fields.tempoText);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        std::string label = "Voice " + std::to_string(voice + 1);
        PrintField(report, label + " tone", fields.toneTexts[voice]);
        PrintField(report, label + " volume", fields.volumeTexts[voice]);
    }
    PrintField(report, "Copyright", info.copyright);
    PrintField(report, "Date", info.date);
    PrintField(report, "Protect", info.sorc ? "yes" : "no");
    PrintField(report, "FFF0", store.fff0DataSet ? store.fff0DataHex : "none");
    return report;
}

int RunInfo(const std::vector<std::string>& args)
{
    Arguments arguments(args, WithBatchOptionRules({}), 1, SIZE_MAX);
    const BatchPlan plan = ReadBatchPlan(arguments);
    if (IsBatch(plan)) {
        // With -d each report goes to OUTDIR/NAME.txt; else to standard output in order.
        return RunBatch(plan, [&](const std::string& input) {
            Report report = InfoOf(input);
            if (plan.outDir.empty()) {
                return BatchResult{std::move(report), {}};
            }
            WriteOutput(BatchOutputPath(plan, input, ".txt"), report);
            return BatchResult{};
        });
    }
    const Report report = InfoOf(arguments.Positional()[0]);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return ExitSuccess;
}

}  // namespace

extern const Subcommand InfoCommand{"info", "show a melody file's title, tempo, tones, volumes and file information",
                                    Help, RunInfo};

}  // namespace quaverly::cli
