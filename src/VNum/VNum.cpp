#include "VNum.h"

namespace quaverly {

void AppendVarLen(std::string& bytes, uint32_t value)
{
    // A quantity holds at most four 7-bit groups; anything above 28 bits is dropped.
    value &= 0x0FFFFFFFu;
    char groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (int i = count - 1; i >= 0; --i) {
        bytes.push_back(i != 0 ? static_cast<char>(groups[i] | 0x80) : groups[i]);
    }
}

std::string ToVarLen(uint32_t value)
{
    std::string bytes;
    AppendVarLen(bytes, value);
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
