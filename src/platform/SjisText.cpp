#include "SjisText.h"

#include "base/TextEncoding.h"

namespace quaverly {

QString FromSjis(std::string_view sjis) { return QString::fromStdString(SjisToUtf8Lenient(sjis)); }

std::string ToSjis(const QString& text)
{
    // Character by character through the table. A character code page 932
    // cannot hold (a surrogate pair included) is one "?": one character of
    // the page stays one character of its Shift-JIS text, so the places the
    // core counts in bytes and the window's character positions agree.
    std::string sjis;
    sjis.reserve(static_cast<size_t>(text.size()) * 2);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (!QChar::isSurrogate(unit) && AppendSjisOfUnit(unit, sjis) != 0) {
            continue;
        }
        sjis += '?';
        if (QChar::isHighSurrogate(unit) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
        }
    }
    return sjis;
}

int SjisLength(QChar character)
{
    const char16_t unit = character.unicode();
    if (QChar::isLowSurrogate(unit)) {
        return 0;  // the pair's "?" is counted at its first half
    }
    if (QChar::isHighSurrogate(unit)) {
        return 1;
    }
    std::string sjis;
    const size_t length = AppendSjisOfUnit(unit, sjis);
    return length == 0 ? 1 : static_cast<int>(length);
}

}  // namespace quaverly
