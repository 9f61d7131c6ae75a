// The melody's title as a MIDI file carries it: the first track name (meta
// event 03) of the first track, before its first sounding event, which is
// where the program's MIDI writer puts it.
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// The title's bytes as they are (Shift-JIS in the program's own files);
// empty when there is none or the file is cut short before it.
std::string MidiTitle(std::string_view midiBytes);

}  // namespace quaverly
