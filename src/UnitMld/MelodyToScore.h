// The way back from a MelodyImage to what every editor field receives: title,
// tempo, tones, volumes, file information, FFF0 data, the sequence view rows
// and, rebuilt from the note events, each voice page's canonical score text.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "MldLayout.h"
#include "MelodyFileInfo.h"
#include "MelodyStore.h"
#include "NotationTables.h"
#include "SequenceList.h"

namespace quaverly {

// One row of the sequence view ListViewSeq: columns "Time", "Ch", "Tone", "Len".
struct SequenceRow {
    std::string time;
    std::string channel;
    std::string tone;
    std::string length;
    bool operator==(const SequenceRow&) const = default;
};

// What the editor receives from a load. Texts are Shift-JIS.
struct EditorFields {
    std::string title;
    std::string tempoText;
    std::array<std::string, VoiceCount> toneTexts;
    std::array<std::string, VoiceCount> volumeTexts;
    std::array<std::string, VoiceCount> scoreTexts;
    std::vector<SequenceRow> sequenceRows;
};

// What the window shows of an analysis or a load and the command-line tool
// does not: the view rows (some 130 bytes for each event of the list).
enum class ViewRows { Fill, Skip };

// Loads store.MelodyImage(): sets info's copyright, date and sorc (not its
// version), the store's FFF0 data, appends to its SequenceList, and returns
// the fields. Returns nothing when the image is not a melody image (the
// caller shows "データ形式が異常です"); then nothing has changed. A melody
// longer than the time column throws MelodyLimitError, also before any change.
std::optional<EditorFields> LoadMelodyIntoEditor(MelodyStore& store, MelodyFileInfo& info,
                                                 ViewRows rows = ViewRows::Fill);

// Appends the view rows of the list, in its present order.
void FillSequenceView(const SequenceList& list, std::vector<SequenceRow>& rows);

// Canonical score text of a voice 0..3 from the list (sorts the list first).
std::string VoiceScoreText(SequenceList& list, int voice);
// The four voices' texts at once, in one pass over the list.
std::array<std::string, VoiceCount> VoiceScoreTexts(SequenceList& list);

}  // namespace quaverly
