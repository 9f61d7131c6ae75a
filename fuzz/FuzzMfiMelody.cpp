// libFuzzer target: a melody file of another maker (MFi) read whole, written as MIDI and imported.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::MfiMelodyEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
