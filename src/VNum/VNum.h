// Number writers of the Standard MIDI File: variable-length quantities and
// big-endian fields.
#pragma once

#include <cstdint>
#include <string>

namespace quaverly {

// At most four 7-bit groups (28 bits; higher bits are dropped), most
// significant first, bit 7 set on all but the last; 0 is the single byte 00.
std::string ToVarLen(uint32_t value);
// The same appended to bytes, for writers of many events.
void AppendVarLen(std::string& bytes, uint32_t value);
// The n low bytes (1..4) of the value, most significant first.
std::string ToBigEndian(uint32_t value, int n);

}  // namespace quaverly
