// 他形式読み込み of a melody text file (".tml"): its fields compiled by the
// score analysis, adopted as any import is, and the places of the file that
// were not taken as written listed by line and column.
#include <QFileInfo>

#include "NativePath.h"
#include "TFormMain.h"
#include "UnitMld/StagedMelodyText.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

namespace quaverly {

void TFormMain::ImportMelodyText(const QString& path, bool askLossQuestion)
{
    StagedMelodyText read =
        StageMelodyText(ReadWholeFile(NativePath(path)), m_store, m_document.FileInfo(), m_extendedNotation);
    if (read.refusal) {
        m_services.messageBoxes.Warning(FromSjis(*read.refusal));
        return;
    }
    if (!read.staged) {
        m_services.messageBoxes.Warning(FromSjis(Msg::DataFormatAbnormal));
        return;
    }
    // A drop asks once the file has been read; the menu has asked before its dialog.
    if (askLossQuestion && !AskLossQuestion()) {
        return;
    }
    // Imports of this text bind no file and leave Save disabled.
    AdoptStagedMelody(std::move(*read.staged), QString(), false);
    if (read.diagnostics.empty()) {
        return;
    }
    QString list = QFileInfo(path).fileName() + FromSjis(Msg::FileDiagnosticsHead);
    for (const std::string& line : read.diagnostics) {
        list += QLatin1Char('\n') + FromSjis(line);
    }
    m_services.messageBoxes.Information(list);
}

}  // namespace quaverly
