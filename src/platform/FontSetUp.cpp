#include "FontSetUp.h"

#include <system_error>

#ifdef QUAVERLY_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quaverly {

FontSetUp::FontSetUp()
{
#ifdef QUAVERLY_HAVE_FONTCONFIG
    try {
        // FcInit keeps the configuration it loads as the process's current
        // one, which Qt's font database then takes as it is.
        m_reading = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread: the window's first font reads the configuration itself.
    }
#endif
}

FontSetUp::~FontSetUp()
{
    Wait();
}

void FontSetUp::Wait()
{
    if (m_reading.joinable()) {
        m_reading.join();
    }
}

}  // namespace quaverly
