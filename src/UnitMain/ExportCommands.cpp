// The text export "他形式書き込み(&E)...": the editor's fields as a melody
// text file (".tml"), exactly as the user sees them.
#include "NativePath.h"
#include "SuggestedFileName.h"
#include "ForeignMelodyView.h"
#include "TFormMain.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyText.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

namespace quaverly {

void TFormMain::mnExportClick()
{
    RunCommand([this] {
        // The pages and boxes are written as they stand, refused values
        // included: nothing is analysed or rewritten first. An edit since the
        // last analysis only asks whether to go on.
        if (RefusedAsViewOnly(m_document, m_services.messageBoxes)) {
            return;
        }
        if (m_document.Edited() && !m_services.messageBoxes.Question(FromSjis(Msg::AnalysisQuestion), SafeAnswer::Yes)) {
            return;
        }
        FileDialogOptions options;
        options.filter = QStringLiteral("iメロディテキストファイル(*.tml)");
        options.defaultSuffix = QStringLiteral("tml");
        const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
        if (!chosen) {
            return;
        }
        if (FileKindOf(NativePath(*chosen)) != FileKind::MelodyText) {
            ShowNotSupported();
            return;
        }
        // Written whole through a temporary file: a failure leaves the old file as it was.
        WriteMelodyText(NativePath(*chosen), m_pages->CollectEditorTexts(), m_document.FileInfo());
    });
}

}  // namespace quaverly
