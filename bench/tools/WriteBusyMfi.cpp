// Writes the benchmarks' busy four-track melody of another maker to a file,
// so that the command-line tool and the window can be timed on it:
//   quaverly_busy_mfi OUT.mld
#include <cstdio>
#include <fstream>

#include "../../tests/core/MfiWriter.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: quaverly_busy_mfi OUT.mld\n");
        return 2;
    }
    const std::string bytes = quaverly::mfitest::BusyFourTrackFile();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "quaverly_busy_mfi: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
