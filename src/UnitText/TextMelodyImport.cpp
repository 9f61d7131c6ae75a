#include "TextMelodyImport.h"

#include <algorithm>
#include <cctype>

#include "MmlReader.h"
#include "RtttlReader.h"
#include "TextMessages.h"
#include "base/Errors.h"

namespace quaverly {

namespace {

std::string LowerExtension(std::string_view path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string extension(path.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return extension;
}

}  // namespace

bool IsTextMelodyPath(std::string_view path)
{
    const std::string extension = LowerExtension(path);
    return extension == ".rtttl" || extension == ".mml" || extension == ".txt";
}

TextMelodyFormat TextMelodyFormatOf(std::string_view text, std::string_view path, const std::string& name)
{
    const std::string extension = LowerExtension(path);
    if (extension == ".rtttl") {
        return TextMelodyFormat::Rtttl;
    }
    if (extension == ".mml") {
        return TextMelodyFormat::Mml;
    }
    if (LooksLikeRtttl(text)) {
        return TextMelodyFormat::Rtttl;
    }
    if (LooksLikeMml(text)) {
        return TextMelodyFormat::Mml;
    }
    throw QuaverlyError(std::string(TextMsg::TextMelodyUnreadable) + name + "\r\n" + std::string(TextMsg::NotTextMelody));
}

TextMelodyRead ReadTextMelody(std::string_view text, std::string_view path, const std::string& name)
{
    return TextMelodyFormatOf(text, path, name) == TextMelodyFormat::Rtttl ? ReadRtttl(text, name) : ReadMml(text, name);
}

ImportedMelody ImportTextMelody(TextMelodyRead& read, const std::vector<int>& channels)
{
    return ImportMidiContent(std::move(read.content), channels);
}

}  // namespace quaverly
