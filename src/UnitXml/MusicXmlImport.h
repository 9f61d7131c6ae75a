// A MusicXML score (".musicxml", ".xml", or the compressed ".mxl") made into
// a melody of four voices: its notes are handed to the MIDI import's
// notes-to-voices stage, each part (each staff of a part of several) as one
// MIDI channel in score order, so the channel choice, the chord splitting
// and the loss report are the MIDI import's own. Repeats and voltas are
// played out (written one after the other as they sound); ties join their
// notes; grace notes are dropped and counted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "UnitMidi/MidiImport.h"

namespace quaverly {

// The largest MusicXML file read, compressed or not.
inline constexpr size_t MaxMusicXmlFileSize = size_t{64} << 20;

// ".musicxml", ".xml" and ".mxl", in either letter case.
bool IsMusicXmlPath(std::string_view path);

// The score's notes and settings as the MIDI import takes them. An ".mxl"
// archive is told by its first bytes. Throws QuaverlyError naming the file
// (name, Shift-JIS), and the part, measure and element where it stopped.
MidiContent CollectMusicXmlContent(std::string_view bytes, const std::string& name);

// The same and the import, for a caller without a channel choice of its own.
ImportedMelody ImportMusicXmlFile(std::string_view bytes, const std::string& name, const std::vector<int>& channels = {});

}  // namespace quaverly
