// libFuzzer target: the bytes as RTTTL text, read, imported into four voices and built.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::RtttlTextEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
