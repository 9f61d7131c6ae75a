#include "QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "SjisText.h"

namespace quaverly {

std::optional<std::string> QtClipboard::Text()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) {
        return std::nullopt;
    }
    QString text = data->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return ToSjis(text);
}

void QtClipboard::SetText(const std::string& text)
{
    QString shown = FromSjis(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QGuiApplication::clipboard()->setText(shown);
}

}  // namespace quaverly
