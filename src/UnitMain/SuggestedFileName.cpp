#include "SuggestedFileName.h"

#include "platform/SjisText.h"

namespace quaverly {

namespace {

bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

char Replacement(char c)
{
    switch (c) {
        case '\\':
        case '/':
        case '"':
        case ',':
        case '*':
            return '_';
        case ':':
        case ';':
        case '?':
        case '|':
            return '!';
        case '<':
            return '(';
        case '>':
            return ')';
        default:
            return c;
    }
}

// Position of the extension's full stop, or -1: only a stop after the last
// folder separator starts an extension.
qsizetype ExtensionStart(const QString& fileName)
{
    for (qsizetype i = fileName.size() - 1; i >= 0; --i) {
        const QChar c = fileName[i];
        if (c == QLatin1Char('.')) {
            return i;
        }
        if (c == QLatin1Char('/') || c == QLatin1Char('\\')) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

std::string ReplaceFileNameCharacters(std::string_view sjisTitle)
{
    // The eleven replacements have no character in common, so one pass over
    // the characters gives what eleven passes in order would.
    std::string result;
    result.reserve(sjisTitle.size());
    for (size_t i = 0; i < sjisTitle.size(); ++i) {
        const char c = sjisTitle[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < sjisTitle.size()) {
            result += c;
            result += sjisTitle[++i];
        } else {
            result += Replacement(c);
        }
    }
    return result;
}

QString SuggestedFileName(const QString& currentFileName, std::string_view sjisTitle)
{
    if (!currentFileName.isEmpty()) {
        return currentFileName;
    }
    return FromSjis(ReplaceFileNameCharacters(sjisTitle));
}

QString ChangeExtension(const QString& fileName, const QString& extension)
{
    const qsizetype stop = ExtensionStart(fileName);
    return (stop < 0 ? fileName : fileName.left(stop)) + extension;
}

}  // namespace quaverly
