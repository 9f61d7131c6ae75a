#include "CliSupport.h"
#include "TextMelodyInput.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMld/MelodyStore.h"
#include "UnitText/TextMelodyImport.h"

namespace quaverly::cli {

std::string ImportTextMelodyFile(const std::string& input, const std::vector<int>& channels, MelodyStore& store)
{
    const std::string text = ReadInput(input);
    TextMelodyRead read = ReadTextMelody(text, input, input);
    const ImportedMelody melody = ImportTextMelody(read, channels);
    BuildImportedMelody(store, melody);
    return TextProblemsText(read, input) + MidiImportReportText(melody.report);
}

}  // namespace quaverly::cli
