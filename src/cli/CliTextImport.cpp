#include "CliSupport.h"
#include "TextMelodyInput.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitText/TextMelodyImport.h"
#include "base/Messages.h"

namespace quaverly::cli {

int ImportTextMelodyFile(const std::string& input, const std::string& output, const std::vector<int>& channels,
                         bool asText)
{
    const std::string text = ReadInput(input);
    TextMelodyRead read = ReadTextMelody(text, input, input);
    const ImportedMelody melody = ImportTextMelody(read, channels);
    Print(stderr, TextProblemsText(read, input));
    MelodyStore store;
    BuildImportedMelody(store, melody);
    if (!asText) {
        SaveImage(store, output);
    } else {
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
    Print(stderr, MidiImportReportText(melody.report));
    return ExitSuccess;
}

}  // namespace quaverly::cli
