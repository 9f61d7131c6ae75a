#include "Diagnostic.h"

#include <algorithm>

#include "base/Messages.h"

namespace quaverly {

namespace {

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// A message is one line: the quoted text keeps at most this many characters.
constexpr int QuoteCharacters = 24;
constexpr std::string_view Ellipsis = "\x81\x63";  // …

bool IsTrailByte(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// The quoted characters on one line: line breaks become blanks, and a long
// text is cut at a character boundary.
std::string QuoteText(std::string_view text)
{
    std::string quote;
    int characters = 0;
    for (size_t i = 0; i < text.size();) {
        if (characters == QuoteCharacters) {
            quote += Ellipsis;
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        const bool pair = IsLeadByte(c) && i + 1 < text.size() && IsTrailByte(text[i + 1]);
        const size_t length = pair ? 2 : 1;
        if (IsLeadByte(c) && !pair) {
            // A lead byte without its second byte (before a line break, or
            // at the end) would swallow what follows it in the message.
            quote += '?';
            ++characters;
        } else if (c == '\r' || c == '\n') {
            if (!(c == '\n' && i > 0 && text[i - 1] == '\r')) {
                quote += ' ';
                ++characters;
            }
        } else {
            quote += text.substr(i, length);
            ++characters;
        }
        i += length;
    }
    return quote;
}

}  // namespace

DiagnosticSink::DiagnosticSink(const std::array<std::string, VoiceCount>& pages, size_t keptPerPage)
    : m_keptPerPage(keptPerPage)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        m_pages[i] = pages[i];
    }
}

void DiagnosticSink::QuoteFrom(const std::array<std::string, VoiceCount>& pages)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        m_pages[i] = pages[i];
    }
}

bool DiagnosticSink::Admit(int page)
{
    const size_t slot = Slot(page);
    ++m_counts[slot];
    if (m_taken[slot] >= m_keptPerPage) {
        return false;
    }
    ++m_taken[slot];
    return true;
}

void DiagnosticSink::Take(Diagnostic diagnostic)
{
    if (!Admit(diagnostic.span.page)) {
        return;
    }
    if (m_stream) {
        m_stream(diagnostic);
    } else {
        m_items.push_back(std::move(diagnostic));
    }
}

void DiagnosticSink::TakeCounted(int page, const std::vector<Diagnostic>& kept, size_t count)
{
    for (const Diagnostic& diagnostic : kept) {
        Take(diagnostic);
    }
    // Those only counted there are only counted here.
    if (count > kept.size()) {
        m_counts[Slot(page)] += count - kept.size();
    }
}

void DiagnosticSink::Add(DiagnosticKind kind, SourceSpan span, std::string_view quoted, std::string_view suffix)
{
    // Counted first: a diagnostic beyond the bound costs no message.
    if (!Admit(span.page)) {
        return;
    }
    std::string message(Msg::DiagnosticQuoteOpen);
    message += QuoteText(quoted);
    message += suffix;
    Diagnostic diagnostic{span, kind, std::move(message)};
    if (m_stream) {
        m_stream(diagnostic);
    } else {
        m_items.push_back(std::move(diagnostic));
    }
}

size_t DiagnosticSink::TotalCount() const
{
    size_t total = 0;
    for (size_t count : m_counts) {
        total += count;
    }
    return total;
}

size_t DiagnosticSink::TotalDropped() const
{
    size_t total = 0;
    for (size_t slot = 0; slot < m_counts.size(); ++slot) {
        total += m_counts[slot] - m_taken[slot];
    }
    return total;
}

void DiagnosticSink::AddQuotingPage(DiagnosticKind kind, SourceSpan span, std::string_view suffix)
{
    std::string_view quoted;
    if (span.page >= 0 && span.page < VoiceCount) {
        const std::string_view page = m_pages[static_cast<size_t>(span.page)];
        const size_t offset = std::min(static_cast<size_t>(std::max(span.offset, 0)), page.size());
        quoted = page.substr(offset, static_cast<size_t>(std::max(span.length, 0)));
    }
    Add(kind, span, quoted, suffix);
}

TextPlace PlaceInText(std::string_view sjisText, size_t byteOffset)
{
    return PlaceInText(sjisText, byteOffset, 0, TextPlace{});
}

TextPlace PlaceInText(std::string_view sjisText, size_t byteOffset, size_t fromOffset, TextPlace fromPlace)
{
    TextPlace place = fromPlace;
    const size_t end = std::min(byteOffset, sjisText.size());
    size_t i = fromOffset;
    while (i < end) {
        const auto c = static_cast<unsigned char>(sjisText[i]);
        if (c == '\n' || (c == '\r' && (i + 1 >= sjisText.size() || sjisText[i + 1] != '\n'))) {
            ++place.line;
            place.column = 1;
            ++i;
        } else if (c == '\r') {
            ++i;  // the CR of a CR LF: the LF ends the line
        } else {
            ++place.column;
            i += IsLeadByte(c) && i + 1 < sjisText.size() ? 2 : 1;
        }
    }
    return place;
}

}  // namespace quaverly
