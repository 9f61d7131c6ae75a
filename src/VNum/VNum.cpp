#include "VNum.h"

namespace quaverly {

std::string ToVarLen(uint32_t value)
{
    // A quantity holds at most four 7-bit groups; anything above 28 bits is dropped.
    value &= 0x0FFFFFFFu;
    char groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);

    std::string bytes;
    bytes.reserve(static_cast<size_t>(count));
    for (int i = count - 1; i >= 0; --i) {
        char byte = groups[i];
        if (i != 0) {
            byte = static_cast<char>(byte | 0x80);
        }
        bytes.push_back(byte);
    }
    return bytes;
}

std::string ToBigEndian(uint32_t value, int n)
{
    if (n < 1) {
        n = 1;
    } else if (n > 4) {
        n = 4;
    }
    std::string bytes(static_cast<size_t>(n), '\0');
    for (int i = n - 1; i >= 0; --i) {
        bytes[static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
    return bytes;
}

}  // namespace quaverly
