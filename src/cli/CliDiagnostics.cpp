#include "CliDiagnostics.h"

#include <memory>
#include <optional>

#include "CliSupport.h"
#include "base/MessageFormat.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

// Turns diagnostics into lines as they come. Places asked for in order cost
// one walk of the file; the builder's diagnostics, which follow the parser's,
// start again from their page's start, whose place is worked out once.
class LinePrinter {
public:
    LinePrinter(std::FILE* stream, std::string fileName, std::string_view fileText,
                const std::array<size_t, VoiceCount>& pageOffsets)
        : m_stream(stream), m_fileName(std::move(fileName)), m_fileText(fileText), m_pageOffsets(pageOffsets)
    {
    }

    void Print(const Diagnostic& diagnostic)
    {
        const auto page = static_cast<size_t>(diagnostic.span.page >= 0 ? diagnostic.span.page : 0) % VoiceCount;
        const size_t offset = m_pageOffsets[page] + static_cast<size_t>(std::max(diagnostic.span.offset, 0));
        if (offset < m_lastOffset) {
            if (!m_pageStarts[page]) {
                m_pageStarts[page] = PlaceInText(m_fileText, m_pageOffsets[page]);
            }
            m_lastOffset = m_pageOffsets[page];
            m_lastPlace = *m_pageStarts[page];
            if (offset < m_lastOffset) {
                m_lastOffset = 0;
                m_lastPlace = TextPlace{};
            }
        }
        const TextPlace place = PlaceInText(m_fileText, offset, m_lastOffset, m_lastPlace);
        m_lastOffset = offset;
        m_lastPlace = place;
        const std::string line = m_fileName + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) +
                                 ": warning: " + ForPerson(diagnostic.message) + "\n";
        std::fwrite(line.data(), 1, line.size(), m_stream);
    }

private:
    std::FILE* m_stream;
    std::string m_fileName;
    std::string_view m_fileText;
    std::array<size_t, VoiceCount> m_pageOffsets;
    std::array<std::optional<TextPlace>, VoiceCount> m_pageStarts;
    size_t m_lastOffset = 0;
    TextPlace m_lastPlace;
};

}  // namespace

void StreamDiagnostics(DiagnosticSink& sink, std::FILE* stream, const std::string& fileName, std::string_view fileText,
                       const std::array<size_t, VoiceCount>& pageOffsets, DiagnosticOptions options)
{
    if (options.quiet) {
        sink.StreamTo([](const Diagnostic&) {});
        return;
    }
    auto printer = std::make_shared<LinePrinter>(stream, fileName, fileText, pageOffsets);
    sink.StreamTo([printer](const Diagnostic& diagnostic) { printer->Print(diagnostic); });
}

bool FinishDiagnostics(std::FILE* stream, const std::string& fileName, const DiagnosticSink& sink,
                       DiagnosticOptions options)
{
    if (!options.quiet && sink.TotalDropped() > 0) {
        const std::string more = WithNumber(Msg::DiagnosticsMore, static_cast<int64_t>(sink.TotalDropped()));
        const std::string line = fileName + ": warning: " + ForPerson(more) + "\n";
        std::fwrite(line.data(), 1, line.size(), stream);
    }
    return options.asErrors && sink.TotalCount() > 0;
}

}  // namespace quaverly::cli
