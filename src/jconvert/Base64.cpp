#include "Base64.h"

#include <array>
#include <cstdint>

namespace quaverly {

namespace {

constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t LineWidth = 76;

// "=" takes part in the arithmetic as 255; -1 marks a character outside the
// alphabet, which leaves its slot as the previous group set it.
constexpr int Unknown = -1;
constexpr int Fill = 255;

constexpr std::array<int, 256> MakeValues()
{
    std::array<int, 256> values{};
    for (int& value : values) {
        value = Unknown;
    }
    for (size_t i = 0; i < Alphabet.size(); ++i) {
        values[static_cast<unsigned char>(Alphabet[i])] = static_cast<int>(i);
    }
    values[static_cast<unsigned char>('=')] = Fill;
    return values;
}

constexpr std::array<int, 256> Values = MakeValues();

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

size_t DecodedLength(std::string_view text)
{
    size_t skipped = 0;
    for (char c : text) {
        if (IsLineBreak(c) || c == '=') {
            ++skipped;
        }
    }
    size_t m = text.size() - skipped;
    size_t length = 3 * (m / 4);
    if (m % 4 != 0) {
        length += m % 4 - 1;
    }
    return length;
}

}  // namespace

std::string Base64Encode(std::string_view data, std::string_view separator)
{
    const size_t n = data.size();
    const size_t fullChars = 4 * (n / 3);
    std::string text;
    text.reserve(fullChars + (n % 3 != 0 ? 4 : 0) + separator.size() * (fullChars / LineWidth));

    auto byteAt = [&data](size_t i) { return static_cast<unsigned char>(data[i]); };
    size_t lineCount = 0;
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned b0 = byteAt(i);
        const unsigned b1 = byteAt(i + 1);
        const unsigned b2 = byteAt(i + 2);
        text.push_back(Alphabet[b0 >> 2]);
        text.push_back(Alphabet[((b0 & 3) << 4) | (b1 >> 4)]);
        text.push_back(Alphabet[((b1 & 15) << 2) | (b2 >> 6)]);
        text.push_back(Alphabet[b2 & 63]);
        lineCount += 4;
        if (lineCount == LineWidth) {
            text.append(separator);
            lineCount = 0;
        }
    }
    // The partial last group never gets a separator after it.
    if (n - i == 1) {
        const unsigned b0 = byteAt(i);
        text.push_back(Alphabet[b0 >> 2]);
        text.push_back(Alphabet[(b0 & 3) << 4]);
        text.append("==");
    } else if (n - i == 2) {
        const unsigned b0 = byteAt(i);
        const unsigned b1 = byteAt(i + 1);
        text.push_back(Alphabet[b0 >> 2]);
        text.push_back(Alphabet[((b0 & 3) << 4) | (b1 >> 4)]);
        text.push_back(Alphabet[(b1 & 15) << 2]);
        text.push_back('=');
    }
    return text;
}

std::string Base64Decode(std::string_view text)
{
    const size_t length = DecodedLength(text);
    std::string bytes;
    bytes.reserve(length);

    // Slots keep their values from group to group; one that nothing has set yet is 0.
    std::array<int, 4> slots{0, 0, 0, 0};
    size_t pos = 0;
    while (pos < text.size() && bytes.size() < length) {
        if (IsLineBreak(text[pos])) {
            ++pos;
            continue;
        }
        // A group is the next four characters whatever they are; a text that
        // ends early leaves the missing slots as they were.
        for (size_t slot = 0; slot < 4 && pos < text.size(); ++slot, ++pos) {
            const int value = Values[static_cast<unsigned char>(text[pos])];
            if (value != Unknown) {
                slots[slot] = value;
            }
        }
        const unsigned s0 = static_cast<unsigned>(slots[0]);
        const unsigned s1 = static_cast<unsigned>(slots[1]);
        const unsigned s2 = static_cast<unsigned>(slots[2]);
        const unsigned s3 = static_cast<unsigned>(slots[3]);
        std::array<uint8_t, 3> group{static_cast<uint8_t>((s0 << 2) | (s1 >> 4)),
                                     static_cast<uint8_t>((s1 << 4) | (s2 >> 2)), static_cast<uint8_t>((s2 << 6) | s3)};
        size_t count = 3;
        if (slots[2] == Fill) {
            count = 1;
        } else if (slots[3] == Fill) {
            count = 2;
        }
        for (size_t k = 0; k < count && bytes.size() < length; ++k) {
            bytes.push_back(static_cast<char>(group[k]));
        }
    }
    return bytes;
}

}  // namespace quaverly
