// The melody text file (".tml"): the editor's fields as Shift-JIS lines ended
// by CR LF, in sections opened by "$" tags: "$T" title, "$t" tempo,
// "$C" copyright, "$D" date, then "$1".."$4" each with "-" + tone text,
// "-" + volume text and the score page.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "MelodyFileInfo.h"
#include "ScoreAnalysis.h"

namespace quaverly {

// The file's bytes for the editor's texts (copyright and date from info).
std::string MelodyTextBytes(const EditorTexts& texts, const MelodyFileInfo& info);
// Writes them atomically. Throws FileError.
void WriteMelodyText(const std::string& path, const EditorTexts& texts, const MelodyFileInfo& info);

// Reads a melody text back: sets texts, info.copyright and info.date.
// Throws QuaverlyError (Shift-JIS message) when the layout is not a melody text.
// pageOffsets, when given, receives where each voice's page starts in bytes.
void ReadMelodyText(std::string_view bytes, EditorTexts& texts, MelodyFileInfo& info,
                    std::array<size_t, VoiceCount>* pageOffsets = nullptr);

}  // namespace quaverly
