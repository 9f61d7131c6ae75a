// 「MusicXML書き出し(&K)...」 and the import of a MusicXML score (他形式読み込み
// and a dropped ".musicxml", ".xml" or ".mxl" file). The export writes the
// melody the pages compile to, with the spellings they hold; the import goes
// the MIDI import's way: the score is read, its parts chosen in the MIDI read
// dialog and the melody built, all before the editor is touched, then the
// import report is shown.
#include <utility>

#include "NativePath.h"
#include "SuggestedFileName.h"
#include "ForeignMelodyView.h"
#include "TFormMain.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitXml/MusicXmlImport.h"
#include "UnitXml/MusicXmlWriter.h"
#include "base/FileIO.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

void TFormMain::mnExportMusicXmlClick()
{
    // A tempo or tone the score cannot name is refused before any question or file name.
    if (RefusedAsViewOnly(m_document, m_services.messageBoxes) || !ReadSettingsOrRefuse() || !AnalyseBeforeUse()) {
        return;
    }
    FileDialogOptions options;
    options.filter = QStringLiteral("MusicXML(*.musicxml);;圧縮MusicXML(*.mxl)");
    options.defaultSuffix = QStringLiteral("musicxml");
    options.initialFile = ChangeExtension(SuggestedFileName(DocumentFileName(), ToSjis(m_ui->EditTitle->text())),
                                          QStringLiteral(".musicxml"));
    const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
    if (!chosen) {
        return;
    }
    RunCommand([this, &chosen] {
        // The pages as they are now, compiled beside the document, so that
        // each note points at the characters that spell it.
        const EditorTexts texts = m_pages->CollectEditorTexts();
        MelodyStore spelled = CandidateStore(m_store);
        const AnalysisResult result = AnalyseScore(spelled, texts, m_document.FileInfo(), m_extendedNotation, ViewRows::Skip);
        MusicXmlSource source;
        std::optional<std::string> refusal = result.refusal;
        if (!refusal) {
            refusal = MakeMusicXmlSource(texts, spelled.Sequence(), source);
        }
        if (refusal) {
            ShowRefusal(*refusal, result.refusalReason);
            return;
        }
        WriteMusicXmlFile(NativePath(*chosen), source);
    });
}

void TFormMain::ImportMusicXmlIntoEditor(const QString& path, bool askLossQuestion)
{
    ImportNotesIntoEditor(CollectMusicXmlContent(ReadWholeFile(NativePath(path), MaxMusicXmlFileSize), ToSjis(path)),
                          askLossQuestion, QStringLiteral("MusicXML読み込み"));
}

}  // namespace quaverly
