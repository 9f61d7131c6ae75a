#include "MailText.h"

#include "jconvert/Base64.h"

namespace quaverly {

namespace {

constexpr std::string_view Marker = "--B:M";
constexpr std::string_view LineEnd = "\r\n";

// The text after a leading marker line, or the whole text when it has none.
// Mail programs and editors may have turned the CR LF into LF or CR alone.
std::string_view SkipMarkerLine(std::string_view text)
{
    if (text.substr(0, Marker.size()) != Marker) {
        return text;
    }
    std::string_view rest = text.substr(Marker.size());
    if (rest.substr(0, 2) == "\r\n") {
        return rest.substr(2);
    }
    if (!rest.empty() && (rest.front() == '\r' || rest.front() == '\n')) {
        return rest.substr(1);
    }
    if (rest.empty()) {
        return rest;
    }
    return text;
}

}  // namespace

std::string MakeMailText(std::string_view image)
{
    std::string text(Marker);
    text.append(LineEnd);
    text.append(Base64Encode(image, LineEnd));
    return text;
}

std::string ReadMailText(std::string_view text)
{
    return Base64Decode(SkipMarkerLine(text));
}

size_t MailToClipboard(const MelodyStore& store, Clipboard& clipboard)
{
    const std::string text = MakeMailText(store.MelodyImage());
    clipboard.SetText(text);
    return text.size();
}

void MailFromClipboard(MelodyStore& store, Clipboard& clipboard)
{
    if (std::optional<std::string> text = clipboard.Text()) {
        store.MelodyImage() = ReadMailText(*text);
    }
}

}  // namespace quaverly
