// The phones' ringtones as an independent reader (ffprobe) sees them: an
// ".m4r" file is AAC-LC at 44.1 kHz stereo in an MPEG-4 audio container of
// brand "M4A " with the title, as long as the WAV render of the same melody
// or cut at its limit; a looping Ogg Vorbis or Opus file carries
// ANDROID_LOOP=true and the title. A cancel leaves nothing, a missing encoder
// module is named and writes nothing, and FFmpeg is loaded only for ".m4r".
// The command line's options the same way. Skips where ffprobe is missing.
#ifdef QUAVERLY_HAVE_ENCODE_MODULE

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "UnitMidi/MidiWriter.h"
#include "audio/SynthModule.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "synth/AudioExport.h"
#include "synth/MidiTitle.h"

namespace quaverly {
namespace {

namespace fs = std::filesystem;

// "Ringtone" in Shift-JIS as the pages hold it: 「着信」.
constexpr const char* SjisTitle = "\x92\x85\x90M";
constexpr const char* Utf8Title = "着信";

// notes quarter notes on voice 1 at 120 per minute and the closing bar:
// (notes + 4) / 2 seconds.
std::string Melody(int notes, const std::string& title = SjisTitle)
{
    SequenceList list;
    for (int i = 0; i < notes; ++i) {
        list.AddEvent(i * 48, 0, 27 + i % 12, 48);
    }
    list.AddEvent(notes * 48, 0, -1, 0);
    MidiSettings settings;
    settings.title = title;
    settings.tempo = 120;
    settings.editTempo = "100";
    return MidiFileBytes(list, settings);
}

std::string Output(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        out.append(buffer, n);
    }
    return out;
}

// What ffprobe says of the file: "stream.codec_name", "format.duration",
// "format.tag.major_brand", "stream.tag.ANDROID_LOOP" and the like, with
// tag names as written (case kept).
std::map<std::string, std::string> Probe(const std::string& path)
{
    const std::string text =
        Output("ffprobe -v error -show_entries stream=codec_name,profile,sample_rate,channels:stream_tags:"
               "format=format_name,duration:format_tags -of flat '" + path + "'");
    std::map<std::string, std::string> facts;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        // "streams.stream.0.tags.title" -> "stream.tag.title"
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"streams.stream.0.", "stream."},
                                       {"format.", "format."}}) {
            if (key.rfind(from, 0) == 0) {
                key = to + key.substr(from.size());
            }
        }
        if (const size_t tags = key.find(".tags."); tags != std::string::npos) {
            key.replace(tags, 6, ".tag.");
        }
        facts[key] = value;
    }
    return facts;
}

double Seconds(const std::map<std::string, std::string>& facts)
{
    const auto found = facts.find("format.duration");
    return found == facts.end() ? -1.0 : std::atof(found->second.c_str());
}

// A tag of the stream or the container, whichever holds it.
std::string Tag(const std::map<std::string, std::string>& facts, const std::string& name)
{
    for (const char* where : {"stream.tag.", "format.tag."}) {
        if (const auto found = facts.find(std::string(where) + name); found != facts.end()) {
            return found->second;
        }
    }
    return {};
}

bool MapsHold(const std::string& name)
{
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find(name) != std::string::npos;
}

class RingtoneExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("ffprobe -version >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "ffprobe is not installed";
        }
        std::string pattern = (fs::temp_directory_path() / "quaverly-ringtone-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        ASSERT_TRUE(m_module.Available()) << m_module.Reason();
    }
    void TearDown() override
    {
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    size_t FileCount() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator{}));
    }
    AudioRenderResult Render(const std::string& midi, const std::string& name, AudioRenderJob job = {},
                             const AudioRenderProgress& progress = {})
    {
        job.midiBytes = midi;
        job.name = "song.mid";
        job.path = Path(name);
        return m_module.RenderAudio(job, progress);
    }

    SynthModule m_module;
    fs::path m_dir;
};

// Written first, so that the check of what is loaded sees a fresh process
// when the tests run in one.
TEST_F(RingtoneExportTest, FfmpegIsLoadedOnlyForAnM4rFile)
{
    ASSERT_EQ(Render(Melody(2), "plain.ogg"), AudioRenderResult::Written);
    ASSERT_EQ(Render(Melody(2), "plain.wav"), AudioRenderResult::Written);
    EXPECT_FALSE(MapsHold(EncodeModuleFileName));
    EXPECT_FALSE(MapsHold("libavcodec"));
    ASSERT_EQ(Render(Melody(2), "ring.m4r", {.maxSeconds = DefaultM4rSeconds}), AudioRenderResult::Written);
    EXPECT_TRUE(MapsHold(EncodeModuleFileName));
    EXPECT_TRUE(MapsHold("libavcodec"));
}

TEST_F(RingtoneExportTest, AnM4rFileIsAacLcInAnM4aContainerAsLongAsTheWavRender)
{
    const std::string midi = Melody(4);  // 4 s
    ASSERT_EQ(Render(midi, "ring.m4r", {.maxSeconds = DefaultM4rSeconds}), AudioRenderResult::Written);
    ASSERT_EQ(Render(midi, "ring.wav"), AudioRenderResult::Written);
    const auto facts = Probe(Path("ring.m4r"));
    EXPECT_EQ(facts.at("stream.codec_name"), "aac");
    EXPECT_EQ(facts.at("stream.profile"), "LC");
    EXPECT_EQ(facts.at("stream.sample_rate"), "44100");
    EXPECT_EQ(facts.at("stream.channels"), "2");
    EXPECT_NE(facts.at("format.format_name").find("mp4"), std::string::npos);
    EXPECT_EQ(Tag(facts, "major_brand"), "M4A ");
    EXPECT_EQ(Tag(facts, "title"), Utf8Title);
    EXPECT_NEAR(Seconds(facts), Seconds(Probe(Path("ring.wav"))), 0.1);
    EXPECT_NEAR(Seconds(facts), 4.0, 0.1);
}

// A render longer than the limit ends at it; the limit can be raised to 40 s.
TEST_F(RingtoneExportTest, ALongerRenderIsCutAtTheLimit)
{
    const std::string midi = Melody(8);  // 6 s, 42 s with seven repeats
    struct Case {
        double maxSeconds;
        AudioRenderResult result;
        double seconds;
    };
    for (const Case& c : {Case{30.0, AudioRenderResult::WrittenCut, 30.0}, Case{40.0, AudioRenderResult::WrittenCut, 40.0},
                          Case{1.0, AudioRenderResult::WrittenCut, 1.0}}) {
        EXPECT_EQ(Render(midi, "cut.m4r", {.repeats = 7, .maxSeconds = c.maxSeconds}), c.result) << c.maxSeconds;
        EXPECT_NEAR(Seconds(Probe(Path("cut.m4r"))), c.seconds, 0.1) << c.maxSeconds;
    }
    EXPECT_EQ(Render(midi, "whole.m4r", {.repeats = 5, .maxSeconds = 30.0}), AudioRenderResult::Written);
    EXPECT_NEAR(Seconds(Probe(Path("whole.m4r"))), 30.0, 0.1);
}

TEST_F(RingtoneExportTest, ALoopingOggOrOpusFileCarriesAndroidLoopAndTheTitle)
{
    for (const std::string name : {"loop.ogg", "loop.opus"}) {
        ASSERT_EQ(Render(Melody(2), name, {.loop = true}), AudioRenderResult::Written) << name;
        const auto facts = Probe(Path(name));
        EXPECT_EQ(Tag(facts, "ANDROID_LOOP"), "true") << name;
        EXPECT_EQ(Tag(facts, "TITLE"), Utf8Title) << name;
        EXPECT_NEAR(Seconds(facts), 3.0, 0.1) << name;
    }
    ASSERT_EQ(Render(Melody(2), "once.ogg"), AudioRenderResult::Written);
    EXPECT_EQ(Tag(Probe(Path("once.ogg")), "ANDROID_LOOP"), "");
}

TEST_F(RingtoneExportTest, ACancelOrAMissingEncoderModuleLeavesNothing)
{
    int calls = 0;
    EXPECT_EQ(Render(Melody(8), "cancelled.m4r", {.maxSeconds = 30.0},
                     [&calls](double) { return ++calls < 3; }),
              AudioRenderResult::Cancelled);
    EXPECT_EQ(FileCount(), 0U);
    const std::string missing = "/nonexistent/quaverly-encode.so";
    try {
        Render(Melody(2), "missing.m4r", {.maxSeconds = 30.0, .encodeModule = missing});
        FAIL() << "rendered without its encoder module";
    } catch (const QuaverlyError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind(std::string(Msg::EncodeModuleUnavailable), 0), 0U) << message;
        EXPECT_NE(message.find(missing), std::string::npos) << message;
    }
    EXPECT_EQ(FileCount(), 0U);
}

// The limit as the export plans it, before any sound.
TEST(RingtoneLimitTest, TheLimitCutsOnlyWhatIsLonger)
{
    MidiFileTiming timing;
    timing.seconds = 10.0;
    struct Case {
        AudioExportOptions options;
        int64_t frames;
        bool cut;
    };
    const int rate = 1000;
    for (const Case& c : {Case{{.repeats = 3, .maxSeconds = 30.0}, 30000, false},
                          Case{{.repeats = 3, .fadeSeconds = 0.5, .maxSeconds = 30.0}, 30000, true},
                          Case{{.repeats = 5, .maxSeconds = 40.0}, 40000, true},
                          Case{{.repeats = 5, .maxSeconds = 99.0}, 40000, true},  // brought into 1..40
                          Case{{.repeats = 5, .maxSeconds = 0.0}, 50000, false},  // no limit
                          Case{{.repeats = 1, .maxSeconds = 0.2}, 1000, true}}) {
        EXPECT_EQ(ExportFrames(timing, c.options, rate), c.frames) << c.options.maxSeconds;
        EXPECT_EQ(ExportIsCut(timing, c.options, rate), c.cut) << c.options.maxSeconds;
    }
}

TEST(MidiTitleTest, TheFirstTrackNameOfTheFirstTrackBeforeAnyNote)
{
    const std::string withTitle = Melody(1, "Song");
    EXPECT_EQ(MidiTitle(withTitle), "Song");
    EXPECT_EQ(MidiTitle(Melody(1, "")), "");
    // Cut anywhere, the reader finds the title or nothing, never more.
    for (size_t size = 0; size < withTitle.size(); ++size) {
        const std::string title = MidiTitle(std::string_view(withTitle).substr(0, size));
        EXPECT_TRUE(title.empty() || title == "Song") << size;
    }
    EXPECT_EQ(MidiTitle("MThd"), "");
}

// quaverly-cli render with the phones' options.
int RunCli(const std::string& arguments, std::string* errors = nullptr)
{
    const std::string errorFile = (fs::temp_directory_path() / ("quaverly-ringtone-cli-" + std::to_string(::getpid()))).string();
    const int status = std::system((std::string(QUAVERLY_CLI) + " " + arguments + " 2>" + errorFile).c_str());
    if (errors != nullptr) {
        *errors = ReadWholeFile(errorFile, 1 << 20);
    }
    fs::remove(errorFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(RingtoneExportTest, TheCommandLineWritesBothPhonesFormatsAndRefusesMisplacedOptions)
{
    const std::string input = std::string(QUAVERLY_EXAMPLES_DIR) + "/kaeru.tml";
    std::string errors;
    // 「長さの上限を超えるため」 in UTF-8, as the tool prints it.
    const std::string cutNotice = "長さの上限を超えるため";
    ASSERT_EQ(RunCli("render '" + input + "' -o '" + Path("k.m4r") + "' --repeat 10 --max-seconds 12", &errors), 0)
        << errors;
    EXPECT_NE(errors.find(cutNotice), std::string::npos) << errors;
    EXPECT_NEAR(Seconds(Probe(Path("k.m4r"))), 12.0, 0.1);
    ASSERT_EQ(RunCli("render '" + input + "' -o '" + Path("k.opus") + "' --loop", &errors), 0) << errors;
    EXPECT_EQ(errors.find(cutNotice), std::string::npos) << errors;
    EXPECT_EQ(Tag(Probe(Path("k.opus")), "ANDROID_LOOP"), "true");
    for (const std::string& wrong : {"-o '" + Path("x.wav") + "' --loop", "-o '" + Path("x.ogg") + "' --max-seconds 30",
                                     "-o '" + Path("x.m4r") + "' --max-seconds 41",
                                     "-o '" + Path("x.m4r") + "' --max-seconds 0.5"}) {
        EXPECT_EQ(RunCli("render '" + input + "' " + wrong), 2) << wrong;
    }
    EXPECT_FALSE(fs::exists(Path("x.wav")));
    EXPECT_FALSE(fs::exists(Path("x.ogg")));
    EXPECT_FALSE(fs::exists(Path("x.m4r")));
}

}  // namespace
}  // namespace quaverly

#endif  // QUAVERLY_HAVE_ENCODE_MODULE
