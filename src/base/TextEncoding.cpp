#include "TextEncoding.h"

#include <iconv.h>

#include <cerrno>

#include "Errors.h"
#include "Messages.h"

namespace quaverly {

namespace {

// glibc's "CP932" is Windows-31J: the NEC and IBM extensions and the Microsoft
// mappings of the wave dash and friends, as the handset tools write them.
std::string Convert(std::string_view text, const char* from, const char* to, bool lenient)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw QuaverlyError(std::string(Msg::TextNotConvertible) + from + " -> " + to);
    }
    std::string out;
    out.reserve(text.size() * 2);
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        if (!lenient) {
            iconv_close(cd);
            throw QuaverlyError(std::string(Msg::TextNotConvertible));
        }
        // EILSEQ or EINVAL: replace one byte and go on.
        out.push_back('?');
        ++in;
        --inLeft;
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) { return Convert(sjis, "CP932", "UTF-8", false); }
std::string Utf8ToSjis(std::string_view utf8) { return Convert(utf8, "UTF-8", "CP932", false); }
std::string SjisToUtf8Lenient(std::string_view sjis) { return Convert(sjis, "CP932", "UTF-8", true); }
std::string Utf8ToSjisLenient(std::string_view utf8) { return Convert(utf8, "UTF-8", "CP932", true); }

}  // namespace quaverly
