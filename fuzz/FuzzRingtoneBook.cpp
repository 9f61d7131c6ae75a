// libFuzzer target: a ringtone book (".ktm") and the melodies of its songs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quaverly::fuzz::RingtoneBookEntry(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
