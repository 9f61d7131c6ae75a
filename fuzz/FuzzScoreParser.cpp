// libFuzzer target: a voice's score text; the first byte picks the voice and the extended notation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::ScoreParserEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
