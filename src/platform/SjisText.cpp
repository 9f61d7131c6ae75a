#include "SjisText.h"

#include "base/TextEncoding.h"

namespace quaverly {

QString FromSjis(std::string_view sjis) { return QString::fromStdString(SjisToUtf8Lenient(sjis)); }

std::string ToSjis(const QString& text)
{
    // Character by character through the table; a character the table has no
    // form for (one code page 932 cannot hold, a surrogate pair or a lone
    // surrogate) takes the whole conversion, which gives its "?" as before.
    std::string sjis;
    sjis.reserve(static_cast<size_t>(text.size()) * 2);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (!QChar::isSurrogate(unit) && AppendSjisOfUnit(unit, sjis) != 0) {
            continue;
        }
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < size && text.at(i + 1).isLowSurrogate();
        sjis += Utf8ToSjisLenient(text.mid(i, pair ? 2 : 1).toStdString());
        if (pair) {
            ++i;
        }
    }
    return sjis;
}

}  // namespace quaverly
