// The entries of the text melody readers (RTTTL, MML): any bytes are read,
// imported into four voices and built, within the readers' bounds.
#include <string>

#include "FuzzEntries.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMld/MelodyStore.h"
#include "UnitText/MmlReader.h"
#include "UnitText/RtttlReader.h"
#include "UnitText/TextMelodyImport.h"
#include "base/Errors.h"

namespace quaverly::fuzz {

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        throw FuzzFailure(what);
    }
}

// A reading of more notes than this has its bounds checked but is not folded
// and built again: a few bytes of nested repeats expand to a quarter of a
// million notes, and folding and building those (which the MIDI and
// round-trip targets drive on their own) would leave the reader's own
// syntax a hundred inputs a second.
constexpr size_t MostNotesBuilt = 4096;

void ImportRead(std::string_view data, TextMelodyRead read)
{
    // What the reading holds stays within 4 x the input + 16 MiB.
    Check(read.content.notes.size() <= MaxTextMelodyNotes, "more notes than the bound");
    Check(read.content.notes.size() * sizeof(MidiNote) <= 4 * data.size() + (size_t{16} << 20), "notes beyond the memory bound");
    Check(read.problems.size() <= MaxTextProblems, "more problems listed than the bound");
    Check(read.notes > 0, "a read without notes was not refused");
    for (const TextProblem& problem : read.problems) {
        Check(problem.line >= 1 && problem.column >= 1 && !problem.message.empty(), "a problem without its place");
    }
    if (read.content.notes.size() > MostNotesBuilt) {
        return;
    }
    const ImportedMelody melody = ImportTextMelody(read);
    MelodyStore store;
    BuildImportedMelody(store, melody);
    Check(store.IsMelodyImage(), "an import made no melody");
}

}  // namespace

void RtttlTextEntry(std::string_view data)
{
    try {
        ImportRead(data, ReadRtttl(data, "fuzz.rtttl"));
    } catch (const FuzzFailure&) {
        throw;
    } catch (const QuaverlyError&) {
    }
}

void MmlTextEntry(std::string_view data)
{
    try {
        ImportRead(data, ReadMml(data, "fuzz.mml"));
    } catch (const FuzzFailure&) {
        throw;
    } catch (const QuaverlyError&) {
    }
}

}  // namespace quaverly::fuzz
