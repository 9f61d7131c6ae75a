// 他形式読み込み and the drop of a ringtone book (".ktm"): its dialog lists
// the book's songs, and the melody data of the chosen ones goes into the
// voice pages in list order, the first song into the first page. The pages
// are edited, not replaced: the others keep their text, and the analysis
// makes the melody of them as of any typed page.
#include <algorithm>

#include "TFormMain.h"
#include "platform/Dialogs.h"
#include "ui_TFormMain.h"

namespace quaverly {

void TFormMain::ImportRingtoneBook(const QString& path, bool askLossQuestion)
{
    const std::optional<std::vector<std::string>> chosen = m_services.dialogs.RunRingtoneBook(path);
    if (!chosen || chosen->empty()) {
        return;
    }
    // A drop asks once there is something to put into the pages.
    if (askLossQuestion && !AskLossQuestion()) {
        return;
    }
    // The pages of a melody of another maker are read-only placeholders.
    if (m_document.Foreign() != nullptr) {
        ResetEditor();
    }
    const size_t count = std::min(chosen->size(), static_cast<size_t>(VoiceCount));
    for (size_t song = 0; song < count; ++song) {
        // One undo step a page, so Ctrl+Z brings back what the page held.
        SetMemoText(static_cast<int>(song) + 1, (*chosen)[song], MemoUndo::KeepUndo);
    }
    m_ui->PageControl1->setCurrentWidget(m_pages->Page(1));
}

}  // namespace quaverly
