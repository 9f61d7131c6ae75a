// libFuzzer target: a melody image through every store query, the listing and the load into the editor.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::MelodyImageEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
