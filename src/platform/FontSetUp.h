// Fontconfig reads its configuration and its font caches once per process,
// dozens of files, the first time any font is asked for: in this program
// while the main window is being made, a few milliseconds before its first
// paint. Begun on a thread of its own as the program starts, that reading
// overlaps the connection to the display and the application's set-up on
// the other processor instead.
#pragma once

#include <thread>

namespace quaverly {

class FontSetUp {
public:
    // Begins the reading; without fontconfig, or without a thread to spare,
    // the first font asked for reads it as before.
    FontSetUp();
    ~FontSetUp();
    FontSetUp(const FontSetUp&) = delete;
    FontSetUp& operator=(const FontSetUp&) = delete;

    // Waits for the reading to end: called before the first font is asked
    // for, so that it is not read a second time alongside.
    void Wait();

private:
    std::thread m_reading;
};

}  // namespace quaverly
