// libFuzzer target: score texts compiled, loaded back and compiled again to the same image.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::RoundTripEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
