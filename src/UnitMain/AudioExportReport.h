// The message after an audio export: where the file is, how long it plays
// (the melody as often as asked, and the fade), its size, and a button that
// opens its folder.
#pragma once

#include <QString>
#include <string_view>

#include "platform/Dialogs.h"

namespace quaverly {

class MessageBoxes;

// The report's text; the length is left out when the MIDI bytes cannot tell it.
QString AudioExportedText(const QString& path, std::string_view midiBytes, const AudioExportChoice& choice);
void ReportAudioExported(MessageBoxes& boxes, const QString& path, std::string_view midiBytes,
                         const AudioExportChoice& choice);

}  // namespace quaverly
