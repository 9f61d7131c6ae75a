// The MusicXML export: a melody as a score a notation program opens, one
// part per voice with notes (named after its tone), the title and the tempo,
// 4/4, the note values of ScoreLayout with ties, triplets, rests, chords and
// the accidentals as typed. ".mxl" is the compressed form: a zip container
// with META-INF/container.xml naming the score inside.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "UnitMld/MldLayout.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

struct MusicXmlSource {
    std::string title;  // Shift-JIS
    int tempo = 125;
    std::array<int, VoiceCount> tones{1, 1, 1, 1};  // programs 1..128
    const SequenceList* list = nullptr;             // the compiled melody's entries
    std::array<std::string, VoiceCount> pages;      // the pages its entries point into (Shift-JIS)
};

// The source of a compiled melody: the tempo and tone boxes' values (their
// refusal, Shift-JIS, when the boxes hold what the MIDI export refuses), the
// title and the pages as typed, and the list the analysis or load filled.
std::optional<std::string> MakeMusicXmlSource(const EditorTexts& texts, const SequenceList& list, MusicXmlSource& source);

// The score as an uncompressed MusicXML document (score-partwise, UTF-8).
std::string MusicXmlBytes(const MusicXmlSource& source);
// The same in the compressed container.
std::string MxlBytes(const MusicXmlSource& source);
// By the path's extension: ".mxl" compressed, anything else plain. Written
// atomically; throws FileError naming the path.
void WriteMusicXmlFile(const std::string& path, const MusicXmlSource& source);

}  // namespace quaverly
