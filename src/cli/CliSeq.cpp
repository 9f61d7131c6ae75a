// quaverly-cli seq: the sequence lines of a melody file, as the sequence
// listing makes them (note events and the end event, in file order).
#include <cstdio>

#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/SequenceText.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli seq SONG.mld|SONG.pmr|-\n"
    "\n"
    "Prints one sequence line per note event and per end event of the melody,\n"
    "in file order: time, voice, note and gate in the columns \"%5d %1d %2d %3d\".\n"
    "A melody file of another maker (MFi) prints one line per note, by start:\n"
    "start tick, channel (4 x track + voice + 1), MIDI key, length in ticks and\n"
    "velocity, in the columns \"%10u %2d %3d %6u %3d\".\n"
    "A file that is not a melody is refused (exit 1).\n";

int RunSeq(const std::vector<std::string>& args)
{
    Arguments arguments(args, {}, 1, 1);
    MelodyStore store;
    LoadImage(store, arguments.Positional()[0]);
    if (std::optional<MfiMelody> foreign = ForeignMelody(store, arguments.Positional()[0])) {
        for (const MfiNote& note : foreign->notes) {
            char line[64];
            std::snprintf(line, sizeof line, "%10u %2d %3d %6u %3d", note.start, note.lane + 1, note.key, note.length,
                          note.velocity);
            PrintLine(stdout, line);
        }
        return ExitSuccess;
    }
    if (!store.IsMelodyImage()) {
        Refuse(Msg::DataFormatAbnormal);
    }
    store.ListSequence();
    for (const SequenceEntry& entry : store.Sequence()) {
        PrintLine(stdout, FormatSequenceLine(store.Sequence(), entry));
    }
    return ExitSuccess;
}

}  // namespace

extern const Subcommand SeqCommand{"seq", "list the sequence lines of a melody file", Help, RunSeq};

}  // namespace quaverly::cli
