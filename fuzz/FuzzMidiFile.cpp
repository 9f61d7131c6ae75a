// libFuzzer target: a Standard MIDI File imported as a melody and loaded.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::MidiFileEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
