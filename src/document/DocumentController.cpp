#include "DocumentController.h"

#include <optional>

#include "UnitText/TextMelodyImport.h"

#include "UnitMfi/MfiImport.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMld/FileKind.h"
#include "base/Messages.h"
#include "UnitMld/MelodyToScore.h"
#include "base/Errors.h"

namespace quaverly {

namespace {

FileRoute Route(ReadRoute read, bool notSupportedFirst = false, bool bindsFile = false, bool enablesSave = false)
{
    FileRoute route;
    route.read = read;
    route.notSupportedFirst = notSupportedFirst;
    route.bindsFile = bindsFile;
    route.enablesSave = enablesSave;
    return route;
}

}  // namespace

bool DocumentController::Edited() const
{
    return m_state == EditState::ScoreEdited || m_state == EditState::SettingsEdited;
}

bool DocumentController::AsksLossQuestion() const
{
    return m_state != EditState::Empty && m_state != EditState::Saved;
}

bool DocumentController::HoldsUnsavedWork() const
{
    if (m_foreign) {
        return false;  // no work of the person's
    }
    return Edited() || (m_state == EditState::Current && m_currentFileName.empty());
}

BeforeUse DocumentController::BeforeUsingMelody() const
{
    if (Edited()) {
        return BeforeUse::AskToAnalyse;
    }
    // A new document's store holds no melody until its first analysis.
    return m_store.IsMelodyImage() ? BeforeUse::Go : BeforeUse::Analyse;
}

void DocumentController::Reset()
{
    m_store.ClearMelody();
    m_currentFileName.clear();
    m_foreign.reset();
    m_state = EditState::Empty;
}

void DocumentController::ShowForeign(MfiMelody melody, std::string path)
{
    m_foreign = ShownForeign{std::move(melody), std::move(path)};
    m_currentFileName.clear();
    m_state = EditState::Current;
}

bool DocumentController::LeaveForeign()
{
    const bool shown = m_foreign.has_value();
    m_foreign.reset();
    return shown;
}

MidiSurvey DocumentController::ForeignSurvey() const
{
    MidiSurvey survey = SurveyMfiMelody(m_foreign->melody);
    survey.dialogTitle = std::string(Msg::MfiFoldTitle);
    return survey;
}

ForeignFold DocumentController::FoldForeign(const std::vector<int>& channels) const
{
    const MfiMelody& melody = m_foreign->melody;
    const ImportedMelody imported = ImportMfiMelody(melody, channels);
    ForeignFold fold{CandidateStore(m_store), {}};
    BuildImportedMelody(fold.candidate, imported);
    // Headed as what it reports: a fold for editing, not a MIDI file read.
    std::string report = MidiImportReportText(imported.report);
    if (report.starts_with(Msg::MidiReportHead)) {
        report.replace(0, Msg::MidiReportHead.size(), Msg::MfiFoldReportHead);
    }
    fold.report = std::string(Msg::MfiOpenedForEditing) +
                  (melody.partial ? melody.partialMessage + "\r\n" : std::string()) + report;
    return fold;
}

std::string DocumentController::ForeignMidiBytes(bool repeatedPlay) const
{
    const MfiMelody& melody = m_foreign->melody;
    if (repeatedPlay && MfiHasLoop(melody)) {
        return MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 1});
    }
    return MfiMidiFileBytes(melody);
}

AnalysisResult DocumentController::Analyse(const EditorTexts& texts, bool extendedNotation)
{
    AnalysisResult result = AnalyseScore(m_store, texts, m_info, extendedNotation);
    if (!result.refusal) {
        m_state = EditState::Current;
    }
    return result;
}

SaveRoute DocumentController::RouteSave() const
{
    // A dropped ".c99" enables Save with no file bound, and a dropped ".pmr"
    // binds a file whose header Save would drop: the user names a file.
    if (m_foreign) {
        return SaveRoute::FoldForeign;
    }
    return IsMelodyFileName(m_currentFileName) ? SaveRoute::BoundFile : SaveRoute::AskName;
}

bool DocumentController::IsMelodyFileName(std::string_view path)
{
    return FileKindOf(path) == FileKind::Melody;
}

bool DocumentController::SaveTo(const std::string& path)
{
    // The melody is what the analysis before the save, the last analysis or
    // the load made; pages edited since keep the document edited.
    const bool melodyMatchesPages = !Edited();
    m_store.SaveMelodyFile(path);
    m_currentFileName = path;
    if (melodyMatchesPages) {
        m_state = EditState::Saved;
    }
    return melodyMatchesPages;
}

EditorFields DocumentController::Adopt(StagedMelody staged, std::string boundFile)
{
    m_store = std::move(staged.store);
    m_info = staged.info;
    // A melody folded from another maker's file is bound to none: Save asks
    // for a name and never writes over that file.
    m_currentFileName = staged.otherMakerReport.empty() ? std::move(boundFile) : std::string();
    m_state = EditState::Current;
    return std::move(staged.fields);
}

namespace {

// The files that read, ask and replace by themselves come in alike from the
// menu and from a drop: bound to no file, Save left as it is.
std::optional<FileRoute> SelfReadingRoute(std::string_view path)
{
    if (IsTextMelodyPath(path)) {
        return Route(ReadRoute::TextMelody);
    }
    switch (FileKindOf(path)) {
        case FileKind::MelodyText:
            return Route(ReadRoute::MelodyText);
        case FileKind::RingtoneBook:
            return Route(ReadRoute::RingtoneBook);
        case FileKind::MusicXml:
            return Route(ReadRoute::MusicXml);
        default:
            return std::nullopt;
    }
}

}  // namespace

FileRoute DocumentController::RouteImport(std::string_view path)
{
    if (const std::optional<FileRoute> route = SelfReadingRoute(path)) {
        return *route;
    }
    // Imports bind no file and leave Save disabled.
    switch (FileKindOf(path)) {
        case FileKind::PocketMelody:
            return Route(ReadRoute::Melody, true);
        case FileKind::NumericText:
            return Route(ReadRoute::NumericText, true);
        default:
            return Route(ReadRoute::NotSupported);
    }
}

FileRoute DocumentController::RouteDrop(std::string_view path)
{
    if (const std::optional<FileRoute> route = SelfReadingRoute(path)) {
        return *route;
    }
    switch (FileKindOf(path)) {
        case FileKind::Melody:
            return Route(ReadRoute::Melody, false, true, true);
        case FileKind::PocketMelody:
            return Route(ReadRoute::Melody, true, true, true);
        case FileKind::NumericText:
            // Save is enabled with no file bound: Save then asks for a name.
            return Route(ReadRoute::NumericText, true, false, true);
        case FileKind::Midi:
            return Route(ReadRoute::Midi);
        default:
            return Route(ReadRoute::NotSupported);
    }
}

void DocumentController::SetTempoAdjustment(TempoAdjustment adjustment)
{
    m_adjustment = adjustment;
    m_adjustmentRead = true;
}

MidiSettings DocumentController::PlayRequest(const SettingValues& values, const PlayVoices& voices,
                                             std::string title) const
{
    MidiSettings settings;
    settings.tempo = values.tempo;
    settings.tones = values.tones;
    settings.volumes = values.volumes;
    settings.playMask = voices.switches;
    if (voices.forPlay && voices.soloVoice > 0) {
        // Solo mutes the others for this play only; the switches stay as they are.
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            settings.playMask[static_cast<size_t>(voice - 1)] = voice == voices.soloVoice;
        }
    }
    settings.title = std::move(title);
    // The writer takes the adjustment as its text; an empty one plays the
    // melody's own tempo, as a text that is no positive number does.
    settings.editTempo = m_adjustment.percent ? std::to_string(*m_adjustment.percent) : std::string();
    return settings;
}

JournalContent DocumentController::Journal(const EditorTexts& texts) const
{
    JournalContent content;
    content.texts = texts;
    content.info = m_info;
    content.fff0DataSet = m_store.fff0DataSet;
    content.fff0DataHex = m_store.fff0DataHex;
    content.melodyImage = m_store.MelodyImage();
    content.boundFile = m_currentFileName;
    return content;
}

std::vector<SequenceRow> DocumentController::Restore(const JournalContent& content)
{
    m_info = content.info;
    m_store.fff0DataSet = content.fff0DataSet;
    m_store.fff0DataHex = content.fff0DataHex;
    m_store.MelodyImage() = content.melodyImage;
    // The sequence of the journaled image, read on a copy so that nothing of
    // the restored pages and settings is overwritten.
    std::vector<SequenceRow> rows;
    MelodyStore listing = m_store;
    MelodyFileInfo scratchInfo = content.info;
    try {
        if (std::optional<EditorFields> fields = LoadMelodyIntoEditor(listing, scratchInfo)) {
            rows = std::move(fields->sequenceRows);
            m_store.Sequence() = std::move(listing.Sequence());
        }
    } catch (const QuaverlyError&) {
        // A melody too long for the view: the pages are restored all the same.
    }
    m_currentFileName = content.boundFile;
    m_state = EditState::ScoreEdited;
    return rows;
}

std::string DocumentController::MailText() const
{
    return MakeMailText(m_store.MelodyImage());
}

MailStaging DocumentController::StageMail(const std::optional<std::string>& text) const
{
    MailStaging mail{CandidateStore(m_store), {}};
    if (text) {
        mail.reading = ReadMail(*text);
        mail.candidate.MelodyImage() = mail.reading.image;
    }
    return mail;
}

}  // namespace quaverly
