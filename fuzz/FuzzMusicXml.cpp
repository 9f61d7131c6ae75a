// libFuzzer target: a MusicXML score (plain or compressed) imported as a melody.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::MusicXmlEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
