// Hand-made melody images for the tests of the melody file units: bytes from
// hexadecimal text, images assembled from header chunks and event bytes with
// their length fields filled in, and the 72-byte example melody.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/TextEncoding.h"

namespace quaverly::testimages {

// "6D 65 6C" -> the bytes; blanks are ignored.
inline std::string HexBytes(std::string_view hex)
{
    std::string bytes;
    int high = -1;
    for (char c : hex) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (digit < 0) {
            continue;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    return bytes;
}

// The bytes as "6D 65 6C" for readable failure messages.
inline std::string ToHex(std::string_view bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (!text.empty()) {
            text += ' ';
        }
        text += Digits[b >> 4];
        text += Digits[b & 0x0F];
    }
    return text;
}

inline void PutBigEndian(std::string& out, size_t offset, size_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        out[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * (size - 1 - i))) & 0xFF);
    }
}

using Chunks = std::vector<std::pair<std::string, std::string>>;

// A consistent image: "melo", L, H, 01 01 01, the chunks, "trac", its length, the events.
inline std::string MakeImage(const Chunks& chunks, std::string_view events)
{
    std::string image("melo\0\0\0\0\0\0\x01\x01\x01", 13);
    for (const auto& [tag, data] : chunks) {
        image += tag;
        image += static_cast<char>(data.size() >> 8);
        image += static_cast<char>(data.size() & 0xFF);
        image += data;
    }
    PutBigEndian(image, 8, image.size() - 10, 2);
    image += "trac";
    image += std::string(4, '\0');
    PutBigEndian(image, image.size() - 4, events.size(), 4);
    image += events;
    PutBigEndian(image, 4, image.size() - 8, 4);
    return image;
}

// An image with the usual "sorc" and "titl" chunks around the given event bytes (hexadecimal).
inline std::string ImageWithEvents(std::string_view eventHex)
{
    return MakeImage({{"sorc", std::string(1, '\0')}, {"titl", "T"}}, HexBytes(eventHex));
}

// Title "A", tempo 125, voice 0 holding one quarter-note do with gate 46, version "0100".
inline const std::string ExampleImage = HexBytes(
    "6D 65 6C 6F 00 00 00 40 00 1B 01 01 01 73 6F 72 63 00 01 00 74 69 74 6C 00 01 41 76 65 72 73 00 04 30 31 30 30 "
    "74 72 61 63 00 00 00 1B 00 FF D0 00 00 FF C3 7D 00 FF E0 00 00 FF E1 02 00 FF E2 3F 00 1B 2E 30 FF DF 00");

// Test sources are UTF-8; the system's texts are Shift-JIS.
inline std::string Sjis(std::string_view utf8) { return Utf8ToSjis(utf8); }

}  // namespace quaverly::testimages
