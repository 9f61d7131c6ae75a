#include "SjisText.h"

#include "base/TextEncoding.h"

namespace quaverly {

QString FromSjis(std::string_view sjis) { return QString::fromStdString(SjisToUtf8Lenient(sjis)); }

std::string ToSjis(const QString& text) { return Utf8ToSjisLenient(text.toStdString()); }

}  // namespace quaverly
