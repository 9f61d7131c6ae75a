// The crash journal's content and its file format. The window writes the
// editor's whole state here about a second after the last edit, so that a
// crash or a killed process loses at most that second; the next start offers
// to restore it.
//
// Format: the line "QUAVERLY-JOURNAL 1", then records, each a line holding a
// key, one space and the decimal byte length of the value, then the value's
// bytes and a line end; the record "end 0" closes the journal. Values are the
// bytes the editor keeps (Shift-JIS texts with CR LF line ends, the binary
// melody image); the bound file name is UTF-8, as the file system names it.
// Unknown keys are skipped, so a later program can add records.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "MelodyFileInfo.h"
#include "ScoreAnalysis.h"
#include "base/Errors.h"

namespace quaverly {

struct JournalContent {
    EditorTexts texts;  // tempo, title, tones, volumes, the four pages
    MelodyFileInfo info;
    bool fff0DataSet = false;
    std::string fff0DataHex;
    std::string melodyImage;  // the store's image: what Save writes without a new analysis
    std::string boundFile;    // UTF-8; empty when no file is bound
};

// A journal that is cut short, damaged or of another format.
class JournalError : public QuaverlyError {
public:
    using QuaverlyError::QuaverlyError;
};

std::string WriteJournal(const JournalContent& content);
// Never reads outside the text; throws JournalError on anything but a whole journal.
JournalContent ParseJournal(std::string_view text);

}  // namespace quaverly
