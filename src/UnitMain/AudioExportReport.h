// The message after an audio export: where the file is, how long it plays
// (the melody as often as asked, and the fade, up to the length limit), its size, and a button that
// opens its folder.
#pragma once

#include <QString>

#include "audio/AudioRenderJob.h"

namespace quaverly {

class MessageBoxes;

// The report's text for the job as it was rendered (its MIDI bytes, repeats
// and fade; cut: ended at its length limit, which the report says); the
// length is left out when the MIDI bytes cannot tell it.
QString AudioExportedText(const QString& path, const AudioRenderJob& job, bool cut = false);
void ReportAudioExported(MessageBoxes& boxes, const QString& path, const AudioRenderJob& job, bool cut = false);

}  // namespace quaverly
