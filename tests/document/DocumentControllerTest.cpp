// The document controller without a window: the questions each state asks,
// what a command does before it uses the melody, where Save writes and what
// it leaves, how a file given to the window is read, the boxes read once into
// values, and what a play writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>

#include "base/Errors.h"
#include "base/FileIO.h"
#include "document/DocumentController.h"

namespace quaverly {
namespace {

EditorTexts Boxes(std::string score = "\x83h\x83\x8C")  // 「ドレ」
{
    EditorTexts texts;
    texts.tempo = "125";
    texts.tones = {"1", "1", "1", "1"};
    texts.volumes = {"63", "63", "63", "63"};
    texts.scores = {std::move(score), "", "", ""};
    return texts;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quaverly-document-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_dir = pattern;
        }
    }
    ~TempFolder() { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

TEST(DocumentController, QuestionsByState)
{
    struct Case {
        EditState state;
        bool loss;
        bool edited;
    };
    const Case cases[] = {{EditState::Empty, false, false},
                          {EditState::Current, true, false},
                          {EditState::ScoreEdited, true, true},
                          {EditState::SettingsEdited, true, true},
                          {EditState::Saved, false, false}};
    MelodyStore store;
    DocumentController document(store);
    for (const Case& c : cases) {
        document.SetState(c.state);
        EXPECT_EQ(document.AsksLossQuestion(), c.loss) << static_cast<int>(c.state);
        EXPECT_EQ(document.Edited(), c.edited) << static_cast<int>(c.state);
    }
}

TEST(DocumentController, BeforeUseAnalysesANewDocumentAndAsksAfterAnEdit)
{
    MelodyStore store;
    DocumentController document(store);
    EXPECT_EQ(document.BeforeUsingMelody(), BeforeUse::Analyse);  // never compiled
    ASSERT_FALSE(document.Analyse(Boxes(), false).refusal);
    EXPECT_EQ(document.State(), EditState::Current);
    EXPECT_EQ(document.BeforeUsingMelody(), BeforeUse::Go);
    document.PageEdited();
    EXPECT_EQ(document.BeforeUsingMelody(), BeforeUse::AskToAnalyse);
}

TEST(DocumentController, RefusedAnalysisKeepsTheState)
{
    MelodyStore store;
    DocumentController document(store);
    document.PageEdited();
    EditorTexts boxes = Boxes();
    boxes.volumes[2] = "70";
    const AnalysisResult result = document.Analyse(boxes, false);
    ASSERT_TRUE(result.refusal);
    EXPECT_EQ(result.refusalReason, (RefusalReason{RefusedField::Volume, 2}));
    EXPECT_EQ(document.State(), EditState::ScoreEdited);
}

TEST(DocumentController, SaveRouteByTheBoundFile)
{
    const std::pair<const char*, SaveRoute> cases[] = {
        {"", SaveRoute::AskName},
        {"/m/song.mld", SaveRoute::BoundFile},
        {"/m/SONG.MLD", SaveRoute::BoundFile},
        {"/m/pocket.pmr", SaveRoute::AskName},  // Save would drop its header
        {"/m/notes.c99", SaveRoute::AskName},
    };
    MelodyStore store;
    DocumentController document(store);
    for (const auto& [bound, route] : cases) {
        document.Bind(bound);
        EXPECT_EQ(document.RouteSave(), route) << bound;
    }
}

TEST(DocumentController, SaveBindsAndSavesOnlyWhatMatchesThePages)
{
    TempFolder folder;
    MelodyStore store;
    DocumentController document(store);
    ASSERT_FALSE(document.Analyse(Boxes(), false).refusal);
    EXPECT_TRUE(document.SaveTo(folder.Path("a.mld")));
    EXPECT_EQ(document.State(), EditState::Saved);
    EXPECT_EQ(document.CurrentFileName(), folder.Path("a.mld"));
    EXPECT_EQ(ReadWholeFile(folder.Path("a.mld")), store.MelodyImage());

    // Written after "No" to the analysis question: the edit stays.
    document.SettingEdited();
    EXPECT_FALSE(document.SaveTo(folder.Path("b.mld")));
    EXPECT_EQ(document.State(), EditState::SettingsEdited);
    EXPECT_EQ(document.CurrentFileName(), folder.Path("b.mld"));
    EXPECT_TRUE(document.HoldsUnsavedWork());
}

TEST(DocumentController, FailedSaveKeepsBindingAndState)
{
    TempFolder folder;
    MelodyStore store;
    DocumentController document(store);
    ASSERT_FALSE(document.Analyse(Boxes(), false).refusal);
    document.Bind(folder.Path("a.mld"));
    EXPECT_THROW(document.SaveTo(folder.Path("missing/b.mld")), QuaverlyError);
    EXPECT_EQ(document.CurrentFileName(), folder.Path("a.mld"));
    EXPECT_EQ(document.State(), EditState::Current);
}

TEST(DocumentController, ResetKeepsTheFileInformation)
{
    MelodyStore store;
    DocumentController document(store);
    ASSERT_FALSE(document.Analyse(Boxes(), false).refusal);
    document.FileInfo().copyright = "c";
    document.Bind("/m/a.mld");
    document.Reset();
    EXPECT_EQ(document.State(), EditState::Empty);
    EXPECT_TRUE(document.CurrentFileName().empty());
    EXPECT_FALSE(store.IsMelodyImage());
    EXPECT_EQ(document.FileInfo().copyright, "c");
}

TEST(DocumentController, AdoptionBindsOnlyOwnMelodies)
{
    MelodyStore store;
    DocumentController document(store);
    document.PageEdited();
    StagedMelody own;
    own.info.copyright = "mine";
    own.fields.title = "T";
    EXPECT_EQ(document.Adopt(std::move(own), "/m/a.mld").title, "T");
    EXPECT_EQ(document.CurrentFileName(), "/m/a.mld");
    EXPECT_EQ(document.FileInfo().copyright, "mine");
    EXPECT_EQ(document.State(), EditState::Current);
    EXPECT_FALSE(document.HoldsUnsavedWork());

    StagedMelody folded;
    folded.otherMakerReport = "report";
    document.Adopt(std::move(folded), "/m/theirs.mld");
    EXPECT_TRUE(document.CurrentFileName().empty());
    EXPECT_TRUE(document.HoldsUnsavedWork());  // an import no file holds
}

TEST(DocumentController, RoutesOfImportAndDrop)
{
    struct Case {
        const char* path;
        FileRoute import;
        FileRoute drop;
    };
    auto route = [](ReadRoute read, bool first = false, bool binds = false, bool save = false) {
        FileRoute r;
        r.read = read;
        r.notSupportedFirst = first;
        r.bindsFile = binds;
        r.enablesSave = save;
        return r;
    };
    const Case cases[] = {
        {"a.mld", route(ReadRoute::NotSupported), route(ReadRoute::Melody, false, true, true)},
        {"a.PMR", route(ReadRoute::Melody, true), route(ReadRoute::Melody, true, true, true)},
        {"a.c99", route(ReadRoute::NumericText, true), route(ReadRoute::NumericText, true, false, true)},
        {"a.tml", route(ReadRoute::MelodyText), route(ReadRoute::MelodyText)},
        {"a.KTM", route(ReadRoute::RingtoneBook), route(ReadRoute::RingtoneBook)},
        {"a.mid", route(ReadRoute::NotSupported), route(ReadRoute::Midi)},
        {"a.txt", route(ReadRoute::TextMelody), route(ReadRoute::TextMelody)},
        {"a.rtttl", route(ReadRoute::TextMelody), route(ReadRoute::TextMelody)},
        {"score.MXL", route(ReadRoute::MusicXml), route(ReadRoute::MusicXml)},
        {"a.doc", route(ReadRoute::NotSupported), route(ReadRoute::NotSupported)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DocumentController::RouteImport(c.path), c.import) << c.path;
        EXPECT_EQ(DocumentController::RouteDrop(c.path), c.drop) << c.path;
    }
}

TEST(DocumentSettings, BoxesReadOnceIntoValuesOrTheFirstRefusal)
{
    EditorTexts boxes = Boxes();
    boxes.tempo = " 0x40";
    boxes.tones[1] = "5";
    boxes.volumes[3] = "+7";
    SettingsReading reading = ReadSettings(boxes);
    ASSERT_TRUE(reading.values);
    EXPECT_EQ(reading.values->tempo, 64);
    EXPECT_EQ(reading.values->tones[1], 5);
    EXPECT_EQ(reading.values->volumes[3], 7);

    boxes.tones[2] = "200";
    boxes.volumes[0] = "x";
    reading = ReadSettings(boxes);
    EXPECT_FALSE(reading.values);
    EXPECT_FALSE(reading.refusal.empty());
    EXPECT_EQ(reading.reason, (RefusalReason{RefusedField::Tone, 2}));  // tones before volumes
}

TEST(DocumentSettings, TempoAdjustmentReadOnce)
{
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"95", 95}, {"250", 250}, {"0", std::nullopt}, {"-5", std::nullopt}, {"", std::nullopt}, {"9 5", std::nullopt},
    };
    for (const auto& [text, percent] : cases) {
        EXPECT_EQ(ReadTempoAdjustment(text).percent, percent) << text;
    }
}

TEST(DocumentController, PlayRequestSoundsTheSoloVoiceOnlyWhenPlaying)
{
    MelodyStore store;
    DocumentController document(store);
    document.SetTempoAdjustment(ReadTempoAdjustment("80"));
    SettingValues values;
    values.tempo = 90;
    values.tones = {1, 2, 3, 4};
    PlayVoices voices;
    voices.switches = {true, false, true, true};
    voices.soloVoice = 2;

    MidiSettings exported = document.PlayRequest(values, voices, "T");
    EXPECT_EQ(exported.playMask, (std::array<bool, VoiceCount>{true, false, true, true}));
    EXPECT_EQ(exported.tempo, 90);
    EXPECT_EQ(exported.tones, values.tones);
    EXPECT_EQ(exported.title, "T");
    EXPECT_EQ(TypedTempoAdjustment(exported.editTempo), 80);

    voices.forPlay = true;
    EXPECT_EQ(document.PlayRequest(values, voices, "T").playMask, (std::array<bool, VoiceCount>{false, true, false, false}));

    document.SetTempoAdjustment(ReadTempoAdjustment("x"));
    EXPECT_EQ(TypedTempoAdjustment(document.PlayRequest(values, voices, "T").editTempo), std::nullopt);
}

TEST(DocumentController, MailTextStagesBackToTheSameMelodyBesideTheDocument)
{
    MelodyStore store;
    DocumentController document(store);
    ASSERT_FALSE(document.Analyse(Boxes(), false).refusal);
    const std::string image = store.MelodyImage();
    const std::string text = document.MailText();
    EXPECT_TRUE(text.starts_with("--B:M\r\n"));

    // Quoted in a reply, with a character that is no Base64 in its block.
    std::string quoted = "> " + text;
    for (size_t line = quoted.find("\r\n"); line != std::string::npos; line = quoted.find("\r\n", line + 4)) {
        if (line + 2 < quoted.size()) {
            quoted.insert(line + 2, "> ");
        }
    }
    const MailStaging mail = document.StageMail(quoted);
    EXPECT_EQ(mail.candidate.MelodyImage(), image);
    EXPECT_FALSE(mail.AsksNotBase64());
    std::string damaged = text;
    damaged[text.find("\r\n") + 3] = '!';
    EXPECT_TRUE(document.StageMail(damaged).AsksNotBase64());

    // Without text the candidate holds no melody; the document's stays.
    const MailStaging empty = document.StageMail(std::nullopt);
    EXPECT_FALSE(empty.candidate.IsMelodyImage());
    EXPECT_FALSE(empty.AsksNotBase64());
    EXPECT_EQ(store.MelodyImage(), image);
}

}  // namespace
}  // namespace quaverly
