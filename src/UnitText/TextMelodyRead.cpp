#include "TextMelodyRead.h"

#include <algorithm>

#include "TextMessages.h"
#include "UnitMld/Diagnostic.h"

namespace quaverly {

namespace {

// The quote is kept to one line and some two dozen bytes, whole characters.
std::string Quote(std::string_view text)
{
    std::string quoted;
    for (size_t i = 0; i < text.size() && quoted.size() < 24;) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead == '\r' || lead == '\n') {
            break;
        }
        const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        if (doubleByte && i + 1 >= text.size()) {
            break;  // a lead byte alone would join the closing bracket into another character
        }
        const size_t width = doubleByte ? 2 : 1;
        quoted.append(text.substr(i, width));
        i += width;
    }
    return quoted;
}

}  // namespace

void TextProblemList::Add(size_t offset, size_t length, std::string_view suffix, bool always)
{
    if (m_any && offset < m_reportedUpTo && !always) {
        return;
    }
    m_any = true;
    m_reportedUpTo = std::max(m_reportedUpTo, offset + std::max<size_t>(length, 1));
    if (m_pending.size() >= MaxTextProblems) {
        ++m_notListed;
        return;
    }
    const std::string_view quoted = m_text.substr(std::min(offset, m_text.size()), length);
    m_pending.push_back({offset, "\x81u" + Quote(quoted) + "\x81v" + std::string(suffix)});
}

void TextProblemList::MoveInto(TextMelodyRead& read)
{
    std::stable_sort(m_pending.begin(), m_pending.end(), [](const Pending& a, const Pending& b) { return a.offset < b.offset; });
    size_t from = 0;
    TextPlace place;
    for (Pending& pending : m_pending) {
        const size_t at = std::min(pending.offset, m_text.size());
        place = PlaceInText(m_text, at, from, place);
        from = at;
        read.problems.push_back({place.line, place.column, std::move(pending.message)});
    }
    read.problemsNotListed += m_notListed;
    m_pending.clear();
}

std::string TextProblemsText(const TextMelodyRead& read, std::string_view name)
{
    std::string text;
    for (const TextProblem& problem : read.problems) {
        text += std::string(name) + ":" + std::to_string(problem.line) + ":" + std::to_string(problem.column) + ": " +
                problem.message + "\r\n";
    }
    if (read.problemsNotListed > 0) {
        text += std::string(name) + ": " + std::string(TextMsg::MoreProblems) + std::to_string(read.problemsNotListed) +
                std::string(TextMsg::Pieces) + "\r\n";
    }
    return text;
}

}  // namespace quaverly
