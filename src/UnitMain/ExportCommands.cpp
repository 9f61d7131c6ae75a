// The text export "他形式書き込み(&E)...": the editor's fields as a melody
// text file (".tml"), exactly as the user sees them.
#include "NativePath.h"
#include "SuggestedFileName.h"
#include "TFormMain.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyText.h"

namespace quaverly {

void TFormMain::mnExportClick()
{
    RunCommand([this] {
        if (!AnalyseBeforeUse(Use::Texts)) {
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
        WriteMelodyText(NativePath(*chosen), CollectEditorTexts(), m_melodyFileInfo);
    });
}

}  // namespace quaverly
