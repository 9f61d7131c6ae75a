// quaverly-cli info: what the window shows of a melody file after opening it:
// title, tempo, each voice's tone and volume, and the file information.
#include <cstdio>
#include <string>

#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MldLayout.h"
#include "UnitMfi/MfiMelody.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli info SONG.mld|SONG.pmr|-\n"
    "\n"
    "Prints the melody's title, tempo, the tone and volume of voices 1 to 4,\n"
    "copyright, date, the protect flag and the FF F0 data (hexadecimal, or\n"
    "\"none\" when the melody has no FF F0 event), one labelled line each.\n"
    "A melody file of another maker (MFi: several tracks, 4-byte notes) shows\n"
    "its title, copyright, format version, tracks, chunks, tempo, length, the\n"
    "notes of each channel (channel = 4 x track + voice + 1) and what was\n"
    "skipped; a file that breaks off is shown as far as it goes, with a warning.\n"
    "A file that is not a melody is refused (exit 1).\n";

void PrintField(std::string_view label, std::string_view sjisValue)
{
    PrintLine(stdout, std::string(label) + ": " + std::string(sjisValue));
}

std::string Number(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A file may hold any number of cue points; the first few are listed.
constexpr size_t MaxListedCuePoints = 8;

void PrintForeignInfo(const MfiMelody& melody)
{
    PrintField("Title", melody.title);
    PrintField("Format", "MFi (another maker)");
    PrintField("Version", melody.version);
    PrintField("Copyright", melody.copyright);
    PrintField("Date", melody.date);
    PrintField("Protect", melody.sorc > 0 ? "yes" : "no");
    PrintField("Tracks", std::to_string(melody.trackChunks) + " (header: " + std::to_string(melody.typeBytes[2]) + ")");
    PrintField("Note bytes", std::to_string(melody.noteBytes));
    std::string chunks;
    for (const MfiChunk& chunk : melody.chunks) {
        chunks += (chunks.empty() ? "" : " ") + chunk.tag + "(" + std::to_string(chunk.length) + ")";
    }
    if (static_cast<size_t>(melody.chunkCount) > melody.chunks.size()) {
        chunks += " ... " + std::to_string(melody.chunkCount) + " in all";
    }
    PrintField("Chunks", chunks);
    const MfiTempo first = melody.tempos.empty() ? MfiTempo{} : melody.tempos.front();
    PrintField("Tempo", std::to_string(first.tempo) + " (timebase " + std::to_string(first.timebase) + ", " +
                            std::to_string(melody.tempos.size()) + " tempo events)");
    PrintField("Length", Number("%.3f s", MfiSeconds(melody, melody.endTick)) + " (" + std::to_string(melody.endTick) + " ticks)");
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
    PrintField("Cue points", cues.empty() ? "none" : cues);
    PrintField("Notes", std::to_string(melody.notes.size()));
    const std::array<int, MfiLaneCount> counts = melody.NotesPerLane();
    for (int lane = 0; lane < MfiLaneCount; ++lane) {
        if (counts[static_cast<size_t>(lane)] > 0) {
            PrintField("Channel " + std::to_string(lane + 1) + " (track " + std::to_string(lane / 4 + 1) + " voice " +
                           std::to_string(lane % 4 + 1) + (lane == MfiPercussionLane ? ", percussion" : "") + ")",
                       std::to_string(counts[static_cast<size_t>(lane)]) + " notes");
        }
    }
    const MfiSkipped& skipped = melody.skipped;
    PrintField("Skipped", "unknown chunks " + std::to_string(skipped.unknownChunks) + ", audio chunks (not played) " +
                              std::to_string(skipped.audioChunks) + ", tracks past the fourth " +
                              std::to_string(skipped.extraTracks) + ", resource events " +
                              std::to_string(skipped.resourceEvents) + ", maker events " +
                              std::to_string(skipped.makerEvents) + ", other events " + std::to_string(skipped.otherEvents));
    PrintField("Complete", melody.partial ? "no: " + melody.partialMessage : "yes");
}

int RunInfo(const std::vector<std::string>& args)
{
    Arguments arguments(args, {}, 1, 1);
    MelodyStore store;
    MelodyFileInfo info;
    LoadImage(store, arguments.Positional()[0]);
    if (std::optional<MfiMelody> foreign = ForeignMelody(store, arguments.Positional()[0])) {
        PrintForeignInfo(*foreign);
        return ExitSuccess;
    }
    EditorFields fields = LoadedMelody(store, info);
    PrintField("Title", fields.title);
    PrintField("Tempo", fields.tempoText);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        std::string label = "Voice " + std::to_string(voice + 1);
        PrintField(label + " tone", fields.toneTexts[voice]);
        PrintField(label + " volume", fields.volumeTexts[voice]);
    }
    PrintField("Copyright", info.copyright);
    PrintField("Date", info.date);
    PrintField("Protect", info.sorc ? "yes" : "no");
    PrintField("FFF0", store.fff0DataSet ? store.fff0DataHex : "none");
    return ExitSuccess;
}

}  // namespace

extern const Subcommand InfoCommand{"info", "show a melody file's title, tempo, tones, volumes and file information",
                                    Help, RunInfo};

}  // namespace quaverly::cli
