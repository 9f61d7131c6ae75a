// Diagnostics: the places where a voice page is not taken as written. The
// parser keeps its rule of skipping what it does not understand and the
// builder mends what the melody file cannot hold; a diagnostic says where
// that happened and what was done, in the system's own words (Shift-JIS),
// quoting the characters concerned.
#pragma once

#include <array>
#include <functional>
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
//
// A page full of unreadable pieces makes a diagnostic every few bytes, more
// than anyone reads and many times the page's size in memory: each page's
// first keptPerPage diagnostics are taken (kept, or handed to the stream),
// the others only counted.
class DiagnosticSink {
public:
    static constexpr size_t KeptPerPage = 1000;
    using Stream = std::function<void(const Diagnostic&)>;

    explicit DiagnosticSink(size_t keptPerPage = KeptPerPage) : m_keptPerPage(keptPerPage) {}
    explicit DiagnosticSink(const std::array<std::string, VoiceCount>& pages, size_t keptPerPage = KeptPerPage);

    // The pages AddQuotingPage quotes from from now on (they must outlive the sink's use).
    void QuoteFrom(const std::array<std::string, VoiceCount>& pages);
    // Hands each diagnostic taken to stream as it comes, instead of keeping it.
    void StreamTo(Stream stream) { m_stream = std::move(stream); }
    // Takes a diagnostic made elsewhere (the builder's), under the same bound.
    void Take(Diagnostic diagnostic);
    // The diagnostics of a page noted elsewhere under the same bound: those
    // kept there, in their order, and the count of all of them.
    void TakeCounted(int page, const std::vector<Diagnostic>& kept, size_t count);
    // Every diagnostic of the page (0..3; -1 for those of no page), taken or not.
    size_t Count(int page) const { return m_counts[Slot(page)]; }
    size_t TotalCount() const;
    // Those of the page only counted.
    size_t Dropped(int page) const { return m_counts[Slot(page)] - m_taken[Slot(page)]; }
    size_t TotalDropped() const;

    // Adds the diagnostic whose message is 「quoted」 + suffix; the quote is
    // kept to one line and some two dozen characters.
    void Add(DiagnosticKind kind, SourceSpan span, std::string_view quoted, std::string_view suffix);
    // As Add, quoting the span's characters from the pages given at construction.
    void AddQuotingPage(DiagnosticKind kind, SourceSpan span, std::string_view suffix);

    const std::vector<Diagnostic>& Items() const { return m_items; }
    std::vector<Diagnostic>& Items() { return m_items; }

private:
    static size_t Slot(int page) { return page >= 0 && page < VoiceCount ? static_cast<size_t>(page) : VoiceCount; }
    // Counts the page's diagnostic; true when it is to be taken.
    bool Admit(int page);

    std::array<std::string_view, VoiceCount> m_pages{};
    std::vector<Diagnostic> m_items;
    size_t m_keptPerPage = KeptPerPage;
    Stream m_stream;
    std::array<size_t, VoiceCount + 1> m_counts{};  // the pages, then no page
    std::array<size_t, VoiceCount + 1> m_taken{};
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
