// Diagnostics: the places where a voice page is not taken as written. The
// parser keeps its rule of skipping what it does not understand and the
// builder mends what the melody file cannot hold; a diagnostic says where
// that happened and what was done, in the system's own words (Shift-JIS),
// quoting the characters concerned.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "MldLayout.h"
#include "SequenceList.h"

namespace quaverly {

enum class DiagnosticKind {
    SkippedCharacters,  // one run of adjacent characters with no meaning
    MalformedGroup,     // a length or gate group that is not a whole number in its brackets
    RangeClamped,       // notes or octave marks beyond the voice's range
    RawDataIgnored,     // a raw-data block outside the extended notation, or unclosed
    ValueMended,        // a value the melody file cannot hold, mended
};

struct Diagnostic {
    // page, byte offset and length in the page's text as the user typed it
    SourceSpan span;
    DiagnosticKind kind = DiagnosticKind::SkippedCharacters;
    std::string message;  // Shift-JIS

    bool operator==(const Diagnostic&) const = default;
};

// Where diagnostics are collected. pages: the voice pages as typed, for
// quoting the characters of a place the reporter only knows by its span
// (the builder); the parser quotes from the page it reads.
class DiagnosticSink {
public:
    DiagnosticSink() = default;
    explicit DiagnosticSink(const std::array<std::string, VoiceCount>& pages);

    // Adds the diagnostic whose message is 「quoted」 + suffix; the quote is
    // kept to one line and some two dozen characters.
    void Add(DiagnosticKind kind, SourceSpan span, std::string_view quoted, std::string_view suffix);
    // As Add, quoting the span's characters from the pages given at construction.
    void AddQuotingPage(DiagnosticKind kind, SourceSpan span, std::string_view suffix);

    const std::vector<Diagnostic>& Items() const { return m_items; }
    std::vector<Diagnostic>& Items() { return m_items; }

private:
    std::array<std::string_view, VoiceCount> m_pages{};
    std::vector<Diagnostic> m_items;
};

// The 1-based line and column of a byte offset in a text whose lines end in
// LF, CR LF or CR: a double-byte Shift-JIS character counts as one column.
struct TextPlace {
    int line = 1;
    int column = 1;
};
TextPlace PlaceInText(std::string_view sjisText, size_t byteOffset);
// The same, counted on from a known place at fromOffset (a character
// boundary before byteOffset): places asked for in order cost one walk.
TextPlace PlaceInText(std::string_view sjisText, size_t byteOffset, size_t fromOffset, TextPlace fromPlace);

}  // namespace quaverly
