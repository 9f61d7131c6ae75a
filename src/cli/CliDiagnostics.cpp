#include "CliDiagnostics.h"

#include "CliSupport.h"

namespace quaverly::cli {

std::string DiagnosticLines(const std::string& fileName, std::string_view fileText,
                            const std::array<size_t, VoiceCount>& pageOffsets, const DiagnosticSink& diagnostics)
{
    std::string lines;
    size_t lastOffset = 0;
    TextPlace lastPlace;
    for (const Diagnostic& diagnostic : diagnostics.Items()) {
        const auto page = static_cast<size_t>(diagnostic.span.page >= 0 ? diagnostic.span.page : 0);
        const size_t offset = pageOffsets[page % VoiceCount] + static_cast<size_t>(diagnostic.span.offset);
        const TextPlace place = offset >= lastOffset ? PlaceInText(fileText, offset, lastOffset, lastPlace)
                                                     : PlaceInText(fileText, offset);
        lastOffset = offset;
        lastPlace = place;
        lines += fileName + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) +
                 ": warning: " + ForPerson(diagnostic.message) + "\n";
    }
    return lines;
}

bool ReportDiagnostics(std::FILE* stream, const std::string& fileName, std::string_view fileText,
                       const std::array<size_t, VoiceCount>& pageOffsets, const DiagnosticSink& diagnostics,
                       DiagnosticOptions options)
{
    if (!options.quiet) {
        const std::string lines = DiagnosticLines(fileName, fileText, pageOffsets, diagnostics);
        std::fwrite(lines.data(), 1, lines.size(), stream);
    }
    return options.asErrors && !diagnostics.Items().empty();
}

}  // namespace quaverly::cli
