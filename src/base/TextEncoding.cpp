#include "TextEncoding.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>

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

// Per UTF-16 code unit: its code page 932 bytes (one byte below 0x100, two
// bytes high byte first above it), or NoSjis. No two-byte code ends in 0xFF.
constexpr uint16_t NoSjis = 0xFFFF;
using UnitTable = std::array<uint16_t, 0x10000>;

std::unique_ptr<const UnitTable> MakeUnitTable()
{
    auto table = std::make_unique<UnitTable>();
    table->fill(NoSjis);
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return table;  // every character then takes the conversion itself
    }
    for (uint32_t unit = 0; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            continue;  // surrogates: only a pair is a character
        }
        char utf8[3];
        size_t length = 0;
        if (unit < 0x80) {
            utf8[length++] = static_cast<char>(unit);
        } else if (unit < 0x800) {
            utf8[length++] = static_cast<char>(0xC0 | (unit >> 6));
            utf8[length++] = static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            utf8[length++] = static_cast<char>(0xE0 | (unit >> 12));
            utf8[length++] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            utf8[length++] = static_cast<char>(0x80 | (unit & 0x3F));
        }
        char sjis[8];
        char* in = utf8;
        size_t inLeft = length;
        char* out = sjis;
        size_t outLeft = sizeof sjis;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        const size_t written = static_cast<size_t>(out - sjis);
        if (rc == static_cast<size_t>(-1) || inLeft != 0 || written == 0 || written > 2) {
            continue;
        }
        const auto first = static_cast<unsigned char>(sjis[0]);
        const auto second = static_cast<unsigned char>(sjis[1]);
        (*table)[unit] = written == 1 ? first : static_cast<uint16_t>(first << 8 | second);
    }
    iconv_close(cd);
    return table;
}

}  // namespace

size_t AppendSjisOfUnit(char16_t unit, std::string& out)
{
    // Made on first use, once for every thread; read-only after.
    static const std::unique_ptr<const UnitTable> table = MakeUnitTable();
    const uint16_t code = (*table)[unit];
    if (code == NoSjis) {
        return 0;
    }
    if (code < 0x100) {
        out += static_cast<char>(code);
        return 1;
    }
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    return 2;
}

std::string SjisToUtf8(std::string_view sjis) { return Convert(sjis, "CP932", "UTF-8", false); }
std::string Utf8ToSjis(std::string_view utf8) { return Convert(utf8, "UTF-8", "CP932", false); }
std::string SjisToUtf8Lenient(std::string_view sjis) { return Convert(sjis, "CP932", "UTF-8", true); }
std::string Utf8ToSjisLenient(std::string_view utf8) { return Convert(utf8, "UTF-8", "CP932", true); }

}  // namespace quaverly
