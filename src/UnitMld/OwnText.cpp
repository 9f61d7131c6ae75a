#include "OwnText.h"

#include <optional>
#include <string>

#include "MelodyToScore.h"
#include "ScoreAnalysis.h"

namespace quaverly {

namespace {

// The melody the image's own text compiles to; nothing when the analysis
// refuses that text or the image is not a melody.
std::optional<std::string> CompiledOwnText(const std::string& image, bool& fff0DataSet, std::string& fff0DataHex)
{
    MelodyStore loaded;
    loaded.MelodyImage() = image;
    MelodyFileInfo info;
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(loaded, info, ViewRows::Skip);
    if (!fields) {
        return std::nullopt;
    }
    const std::string version = loaded.HeaderChunk("vers");
    info.version = version.empty() ? "0100" : version;
    const EditorTexts texts{.tempo = fields->tempoText,
                            .title = fields->title,
                            .tones = fields->toneTexts,
                            .volumes = fields->volumeTexts,
                            .scores = fields->scoreTexts};
    MelodyStore compiled;
    compiled.fff0DataSet = loaded.fff0DataSet;
    compiled.fff0DataHex = loaded.fff0DataHex;
    const AnalysisResult result = AnalyseScore(compiled, texts, info, false, ViewRows::Skip);
    if (result.refusal) {
        return std::nullopt;
    }
    fff0DataSet = compiled.fff0DataSet;
    fff0DataHex = compiled.fff0DataHex;
    return std::move(compiled.MelodyImage());
}

}  // namespace

void SettleOnOwnText(MelodyStore& store)
{
    // The text of a compiled text is that text again, so the first compile
    // settles every melody met so far; the rounds are a bound, not a hope.
    constexpr int MostRounds = 4;
    std::string image = store.MelodyImage();
    for (int round = 0; round < MostRounds; ++round) {
        bool fff0DataSet = false;
        std::string fff0DataHex;
        std::optional<std::string> compiled = CompiledOwnText(image, fff0DataSet, fff0DataHex);
        if (!compiled || *compiled == image) {
            break;
        }
        image = std::move(*compiled);
    }
    store.MelodyImage() = std::move(image);
    store.Sequence().clear();
}

}  // namespace quaverly
