#include "ForeignText.h"

#include <array>
#include <cstdint>

#include "Errors.h"
#include "TextEncoding.h"

namespace quaverly {

namespace {

bool IsAscii(unsigned char byte)
{
    return byte < 0x80;
}

// The code point of the UTF-8 character at the start of text and its length,
// or length 0 when it is not well-formed (overlong forms and surrogates included).
struct Utf8Character {
    uint32_t codePoint = 0;
    size_t length = 0;
};

Utf8Character ReadUtf8(std::string_view text)
{
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    size_t length = 0;
    uint32_t codePoint = 0;
    uint32_t lowest = 0;
    if (first < 0x80) {
        return {first, 1};
    }
    if ((first & 0xE0) == 0xC0) {
        length = 2, codePoint = first & 0x1Fu, lowest = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3, codePoint = first & 0x0Fu, lowest = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4, codePoint = first & 0x07u, lowest = 0x10000;
    } else {
        return {};
    }
    if (length > text.size()) {
        return {};
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return {};
        }
        codePoint = (codePoint << 6) | (byte(k) & 0x3Fu);
    }
    if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return {};
    }
    return {codePoint, length};
}

bool IsWellFormedUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const size_t length = ReadUtf8(text.substr(i)).length;
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

bool IsLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsHalfWidthKatakana(unsigned char byte)
{
    return byte >= 0xA1 && byte <= 0xDF;
}

// Valid code page 932 (user-defined characters excluded), and whether it
// holds a two-byte character.
struct SjisShape {
    bool valid = true;
    bool twoByte = false;
};

SjisShape ShapeOfSjis(std::string_view text)
{
    SjisShape shape;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsAscii(byte) || IsHalfWidthKatakana(byte)) {
            ++i;
            continue;
        }
        if (!IsLead(byte) || i + 1 == text.size() || (byte >= 0xF0 && byte <= 0xF9)) {
            return {false, shape.twoByte};
        }
        shape.twoByte = true;
        i += 2;
    }
    if (shape.twoByte) {
        // A second byte out of range, or a pair no character is assigned to.
        try {
            SjisToUtf8(text);
        } catch (const QuaverlyError&) {
            shape.valid = false;
        }
    }
    return shape;
}

// Bytes beyond ASCII that stand next to each other.
bool HasAdjacentHighBytes(std::string_view text)
{
    for (size_t i = 1; i < text.size(); ++i) {
        if (!IsAscii(static_cast<unsigned char>(text[i - 1])) && !IsAscii(static_cast<unsigned char>(text[i]))) {
            return true;
        }
    }
    return false;
}

// Code page 1252 in the bytes 0x80-0x9F, where Latin-1 has control codes; 0
// where the code page has no character.
constexpr std::array<uint16_t, 32> Windows1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// One character as Shift-JIS, or "?" when it has none.
void AppendSjisOrMark(uint32_t codePoint, ForeignText& result)
{
    if (codePoint > 0xFFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        AppendSjisOfUnit(static_cast<char16_t>(codePoint), result.sjis) == 0) {
        result.sjis += '?';
        result.replaced = true;
    }
}

}  // namespace

ForeignEncoding GuessForeignEncoding(std::string_view text)
{
    bool ascii = true;
    for (char c : text) {
        ascii = ascii && IsAscii(static_cast<unsigned char>(c));
    }
    if (ascii) {
        return ForeignEncoding::Ascii;
    }
    if (IsWellFormedUtf8(text)) {
        return ForeignEncoding::Utf8;
    }
    const SjisShape shape = ShapeOfSjis(text);
    if (!shape.valid || (!shape.twoByte && !HasAdjacentHighBytes(text))) {
        return ForeignEncoding::Latin1;
    }
    return ForeignEncoding::ShiftJis;
}

ForeignText ForeignTextToSjis(std::string_view text)
{
    ForeignText result;
    result.encoding = GuessForeignEncoding(text);
    switch (result.encoding) {
    case ForeignEncoding::Ascii:
    case ForeignEncoding::ShiftJis:
        result.sjis = std::string(text);
        break;
    case ForeignEncoding::Utf8:
        for (size_t i = 0; i < text.size();) {
            const Utf8Character character = ReadUtf8(text.substr(i));
            AppendSjisOrMark(character.codePoint, result);
            i += character.length;
        }
        break;
    case ForeignEncoding::Latin1:
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            const uint32_t codePoint = byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : byte;
            // A byte the code page leaves empty has no character either.
            AppendSjisOrMark(codePoint == 0 && byte != 0 ? 0xFFFFFFFF : codePoint, result);
        }
        break;
    }
    return result;
}

}  // namespace quaverly
