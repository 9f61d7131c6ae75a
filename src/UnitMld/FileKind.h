// The kinds of file the program reads and writes, told apart by extension
// alone, the same way by the window's commands and by quaverly-cli.
#pragma once

#include <string_view>

namespace quaverly {

enum class FileKind {
    Melody,        // ".mld": an MLD melody image
    PocketMelody,  // ".pmr": an MLD image behind a 192-byte header
    MelodyText,    // ".tml": the melody text export
    NumericText,   // ".c99": numeric note records
    Midi,          // ".mid", ".midi": a Standard MIDI File
    RingtoneBook,  // ".ktm": a ringtone book of songs
    MusicXml,      // ".musicxml", ".xml", ".mxl": a MusicXML score, plain or compressed
    Other,
};

// By the extension after the path's last full stop (after its last "/"), in
// either letter case; a name without one is Other.
FileKind FileKindOf(std::string_view path);

}  // namespace quaverly
