// The import of melodies as text: ".rtttl" files, ".mml" files and ".txt"
// files whose content is either. The reader's notes go to the MIDI import's
// notes-to-voices stage (ImportMidiContent) like those of every other import.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "TextMelodyRead.h"
#include "UnitMidi/MidiImport.h"

namespace quaverly {

enum class TextMelodyFormat { Rtttl, Mml };

// Whether the path names a file of the text import, by its extension
// (".rtttl", ".mml", ".txt", any letter case).
bool IsTextMelodyPath(std::string_view path);

// The form of the text: by the extension for ".rtttl" and ".mml", by the
// content for another name. Throws QuaverlyError naming the file when the
// content is neither.
TextMelodyFormat TextMelodyFormatOf(std::string_view text, std::string_view path, const std::string& name);

// Reads the text in its form. Throws QuaverlyError naming the file for a text
// that is neither form or has no note.
TextMelodyRead ReadTextMelody(std::string_view text, std::string_view path, const std::string& name);

// The read text through the notes-to-voices stage: its notes are moved out,
// the problems stay in read. channels as for ImportMidiContent.
ImportedMelody ImportTextMelody(TextMelodyRead& read, const std::vector<int>& channels = {});

}  // namespace quaverly
