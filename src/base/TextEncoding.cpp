#include "TextEncoding.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

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

// The UTF-8 bytes of one UTF-16 code unit (not a surrogate).
size_t Utf8OfUnit(uint32_t unit, char* utf8)
{
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
    return length;
}

bool IsSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The code of a unit's converted bytes, or NoSjis for none or more than two.
uint16_t CodeOf(const char* sjis, size_t written)
{
    if (written == 0 || written > 2) {
        return NoSjis;
    }
    const auto first = static_cast<unsigned char>(sjis[0]);
    return written == 1 ? first : static_cast<uint16_t>(first << 8 | static_cast<unsigned char>(sjis[1]));
}

// Every unit in one conversion, each followed by a NUL: 65,536 conversions of
// one character each took some 48 million instructions of the window's
// thread when it first converted a page. Code page 932 writes a 0x00 byte
// only for U+0000 (no second byte is below 0x40), so the output splits at its
// NULs into one piece for each unit; "//IGNORE" leaves the piece of a unit it
// has no code for empty. False when the conversion does not answer so (the
// caller then converts unit by unit).
bool FillUnitTableAtOnce(UnitTable& table)
{
    iconv_t cd = iconv_open("CP932//IGNORE", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::string input;
    input.reserve(0x10000 * 4);
    for (uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (!IsSurrogate(unit)) {
            char utf8[3];
            input.append(utf8, Utf8OfUnit(unit, utf8));
            input += '\0';
        }
    }
    // A piece of more than two bytes is refused below; room for four each.
    std::string output(input.size() * 2, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    bool whole = true;
    while (inLeft > 0) {
        const size_t before = inLeft;
        // With "//IGNORE" a call that dropped a unit ends in EILSEQ, possibly
        // before the end of the input; the next call goes on from there.
        if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) &&
            (errno != EILSEQ || inLeft == before)) {
            whole = false;
            break;
        }
    }
    iconv_close(cd);
    if (!whole) {
        return false;
    }
    output.resize(output.size() - outLeft);
    size_t start = 0;
    uint32_t unit = 1;
    for (size_t at = 0; at < output.size(); ++at) {
        if (output[at] != '\0') {
            continue;
        }
        if (unit >= 0x10000) {
            break;
        }
        table[unit] = CodeOf(output.data() + start, at - start);
        start = at + 1;
        unit = unit + 1 == 0xD800 ? 0xE000 : unit + 1;
    }
    if (unit != 0x10000 || start != output.size()) {
        table.fill(NoSjis);
        return false;
    }
    table[0] = 0x00;
    return true;
}

std::unique_ptr<const UnitTable> MakeUnitTable()
{
    auto table = std::make_unique<UnitTable>();
    table->fill(NoSjis);
    if (FillUnitTableAtOnce(*table)) {
        return table;
    }
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return table;  // no code page 932 here: every conversion fails alike, and the table answers none
    }
    for (uint32_t unit = 0; unit < 0x10000; ++unit) {
        if (IsSurrogate(unit)) {
            continue;  // surrogates: only a pair is a character
        }
        char utf8[3];
        char* in = utf8;
        size_t inLeft = Utf8OfUnit(unit, utf8);
        char sjis[8];
        char* out = sjis;
        size_t outLeft = sizeof sjis;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        if (rc == static_cast<size_t>(-1) || inLeft != 0) {
            continue;
        }
        (*table)[unit] = CodeOf(sjis, static_cast<size_t>(out - sjis));
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
