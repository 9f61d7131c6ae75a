// The audio export: each format read back by an independent decoder
// (FFmpeg's) at the expected length and sample rate, the normalised peak, the
// fade, the progress calls, and that a cancel or a failure leaves no partial
// file and an existing file as it was. The command line's "render" the same
// way. Tests that need FFmpeg skip when it is not installed.
#ifdef QUAVERLY_HAVE_SYNTH

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "UnitMidi/MidiWriter.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "synth/AudioExport.h"
#include "synth/MidiFileTiming.h"

namespace quaverly {
namespace {

namespace fs = std::filesystem;

// Two quarter notes on voice 1 at 120 per minute and the closing bar: 3 s.
std::string Melody(int volume = 63)
{
    SequenceList list;
    list.AddEvent(0, 0, 27, 48);
    list.AddEvent(48, 0, 30, 48);
    list.AddEvent(96, 0, -1, 0);
    MidiSettings settings;
    settings.tempo = 120;
    settings.editTempo = "100";
    settings.volumes = {volume, volume, volume, volume};
    return MidiFileBytes(list, settings);
}

class AudioExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_synth44 = std::make_unique<Synthesizer>();
        s_synth48 = std::make_unique<Synthesizer>("", 48000);
    }
    static void TearDownTestSuite()
    {
        s_synth44.reset();
        s_synth48.reset();
    }
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "quaverly-audio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    static Synthesizer& SynthFor(const std::string& path)
    {
        return AudioSampleRate(*AudioFormatOfPath(path)) == 48000 ? *s_synth48 : *s_synth44;
    }
    static bool Export(const std::string& midi, const std::string& path, AudioExportOptions options,
                       AudioExportProgress progress = {})
    {
        AudioExportRequest request;
        request.midiBytes = midi;
        request.name = "song.mid";
        request.path = path;
        request.options = options;
        request.progress = std::move(progress);
        return ExportAudio(SynthFor(path), request);
    }

    static std::unique_ptr<Synthesizer> s_synth44;
    static std::unique_ptr<Synthesizer> s_synth48;
    fs::path m_dir;
};

std::unique_ptr<Synthesizer> AudioExportTest::s_synth44;
std::unique_ptr<Synthesizer> AudioExportTest::s_synth48;

bool HaveFfmpeg()
{
    return std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1") == 0;
}

std::string Output(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        out.append(buffer, n);
    }
    return out;
}

struct Decoded {
    int sampleRate = 0;
    int channels = 0;
    int64_t frames = 0;
    float peak = 0.0F;
    std::vector<float> samples;  // interleaved stereo
};

// What FFmpeg makes of the file: its stream's rate and channels, and every
// sample decoded (encoder delay and padding dropped as the file says).
Decoded Decode(const std::string& path)
{
    Decoded decoded;
    const std::string stream = Output("ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels "
                                      "-of default=noprint_wrappers=1 '" + path + "'");
    std::sscanf(stream.c_str(), "sample_rate=%d\nchannels=%d", &decoded.sampleRate, &decoded.channels);
    const std::string pcm = Output("ffmpeg -v error -i '" + path + "' -f f32le -ac 2 -");
    decoded.samples.resize(pcm.size() / sizeof(float));
    std::memcpy(decoded.samples.data(), pcm.data(), decoded.samples.size() * sizeof(float));
    decoded.frames = static_cast<int64_t>(decoded.samples.size() / 2);
    for (float sample : decoded.samples) {
        decoded.peak = std::max(decoded.peak, std::abs(sample));
    }
    return decoded;
}

double Db(double amplitude)
{
    return 20.0 * std::log10(amplitude);
}

float PeakOf(const Decoded& decoded, int64_t fromFrame, int64_t toFrame)
{
    float peak = 0.0F;
    for (int64_t i = std::max<int64_t>(fromFrame, 0) * 2; i < std::min(toFrame, decoded.frames) * 2; ++i) {
        peak = std::max(peak, std::abs(decoded.samples[static_cast<size_t>(i)]));
    }
    return peak;
}

TEST(AudioFormatTest, TheExtensionNamesTheFormatAndItsRate)
{
    const std::map<std::string, std::optional<AudioFormat>> cases{
        {"a.wav", AudioFormat::Wav},     {"B.WAV", AudioFormat::Wav},        {"c.Flac", AudioFormat::Flac},
        {"d.ogg", AudioFormat::OggVorbis}, {"e.opus", AudioFormat::Opus},    {"f.MP3", AudioFormat::Mp3},
        {"dir.mp3/song", std::nullopt},  {"song.mid", std::nullopt},        {"song", std::nullopt},
        {"song.mp3.txt", std::nullopt},  {".oga", std::nullopt},            {"", std::nullopt},
        {"ring.M4R", AudioFormat::M4r},  {"song.m4a", std::nullopt}};
    for (const auto& [path, format] : cases) {
        EXPECT_EQ(AudioFormatOfPath(path), format) << path;
    }
    EXPECT_EQ(AudioSampleRate(AudioFormat::Opus), 48000);
    for (AudioFormat format : {AudioFormat::Wav, AudioFormat::Flac, AudioFormat::OggVorbis, AudioFormat::Mp3,
                               AudioFormat::M4r}) {
        EXPECT_EQ(AudioSampleRate(format), 44100);
        EXPECT_EQ(AudioFormatCanLoop(format), format == AudioFormat::OggVorbis);
    }
    EXPECT_TRUE(AudioFormatCanLoop(AudioFormat::Opus));
}

TEST(AudioFormatTest, OptionsAreBroughtIntoTheirRanges)
{
    struct Case {
        AudioExportOptions given;
        int repeats;
        double fade;
    };
    for (const Case& c : {Case{{0, -1.0, false}, 1, 0.0}, Case{{11, 31.0, false}, 10, 30.0},
                          Case{{3, std::nan(""), true}, 3, 0.0}, Case{{10, 2.5, false}, 10, 2.5}}) {
        const AudioExportOptions clamped = ClampedOptions(c.given);
        EXPECT_EQ(clamped.repeats, c.repeats);
        EXPECT_EQ(clamped.fadeSeconds, c.fade);
    }
}

TEST_F(AudioExportTest, EachFormatDecodesAtTheMelodyTimesTheRepeatsPlusTheFade)
{
    if (!HaveFfmpeg()) {
        GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    }
    const std::string midi = Melody();
    const MidiFileTiming timing = ReadMidiTiming(midi, "song.mid");
    ASSERT_NEAR(timing.seconds, 3.0, 1e-9);
    const AudioExportOptions options{.repeats = 2, .fadeSeconds = 1.5, .normalize = false};
    for (const std::string name : {"out.wav", "out.flac", "out.ogg", "out.opus", "out.mp3"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Export(midi, Path(name), options));
        const Decoded decoded = Decode(Path(name));
        const int rate = AudioSampleRate(*AudioFormatOfPath(name));
        EXPECT_EQ(decoded.sampleRate, rate);
        EXPECT_EQ(decoded.channels, 2);
        EXPECT_EQ(ExportFrames(timing, options, rate), 7.5 * rate);
        // Within 10 ms of 3 s x 2 + 1.5 s.
        EXPECT_NEAR(static_cast<double>(decoded.frames), 7.5 * rate, 0.010 * rate);
        EXPECT_GT(decoded.peak, 0.01F);
        // The melody plays on into the fade (its first note sounds again),
        // and the fade ends in silence.
        EXPECT_GT(PeakOf(decoded, 6 * rate, 6 * rate + rate / 2), 0.3F * decoded.peak);
        EXPECT_LT(PeakOf(decoded, decoded.frames - rate / 100, decoded.frames), 0.02F * decoded.peak);
    }
    EXPECT_EQ(Files().size(), 5u);  // no temporary file left behind
}

TEST_F(AudioExportTest, NormalisingPutsThePeakAtMinusOneDbfs)
{
    if (!HaveFfmpeg()) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    // A quiet melody is raised, a loud one lowered or kept; both land at -1 dBFS.
    for (int volume : {8, 63}) {
        for (const std::string name : {"n.wav", "n.flac"}) {
            SCOPED_TRACE(name + " volume " + std::to_string(volume));
            const std::string midi = Melody(volume);
            ASSERT_TRUE(Export(midi, Path("plain" + name.substr(1)), {.repeats = 1, .fadeSeconds = 0.0, .normalize = false}));
            ASSERT_TRUE(Export(midi, Path(name), {.repeats = 2, .fadeSeconds = 1.0, .normalize = true}));
            const Decoded normalised = Decode(Path(name));
            EXPECT_NEAR(Db(normalised.peak), -1.0, 0.1);
            const Decoded plain = Decode(Path("plain" + name.substr(1)));
            EXPECT_GT(std::abs(Db(plain.peak) + 1.0), 0.2) << "the plain rendering is already at -1 dBFS";
        }
    }
}

TEST_F(AudioExportTest, ProgressRisesToTheTotalOfBothPassesAndIsNotTooChatty)
{
    const std::string midi = Melody();
    for (bool normalize : {false, true}) {
        std::vector<std::pair<int64_t, int64_t>> calls;
        ASSERT_TRUE(Export(midi, Path("p.wav"), {.repeats = 3, .fadeSeconds = 0.0, .normalize = normalize},
                           [&calls](int64_t done, int64_t total) {
                               calls.emplace_back(done, total);
                               return true;
                           }));
        ASSERT_GE(calls.size(), 2u);
        const int64_t total = 9 * 44100 * (normalize ? 2 : 1);
        EXPECT_EQ(calls.front(), std::make_pair(int64_t{0}, total));
        EXPECT_EQ(calls.back(), std::make_pair(total, total));
        for (size_t i = 1; i < calls.size(); ++i) {
            EXPECT_GT(calls[i].first, calls[i - 1].first);
            EXPECT_EQ(calls[i].second, total);
        }
        // Once every 50 ms at the most: far fewer calls than the 4096-frame blocks.
        EXPECT_LT(calls.size(), static_cast<size_t>(total / 4096));
    }
}

TEST_F(AudioExportTest, ACancelLeavesTheOldFileByteForByteAndNoTemporary)
{
    const std::string midi = Melody();
    const std::string old = "the previous contents of this file, which must survive\n";
    struct Case {
        const char* name;
        bool normalize;
        int cancelAtCall;  // 1: before anything is rendered
    };
    for (const Case& c : {Case{"a.ogg", false, 1}, Case{"b.mp3", false, 3}, Case{"c.flac", true, 2},
                          Case{"d.wav", true, 6}, Case{"e.opus", false, 4}}) {
        SCOPED_TRACE(c.name);
        WriteWholeFile(Path(c.name), old);
        int calls = 0;
        AudioExportRequest request;
        request.midiBytes = midi;
        request.name = "song.mid";
        request.path = Path(c.name);
        request.options = {.repeats = 10, .fadeSeconds = 5.0, .normalize = c.normalize};
        request.progressInterval = std::chrono::milliseconds(0);
        request.progress = [&calls, &c](int64_t, int64_t) { return ++calls < c.cancelAtCall; };
        EXPECT_FALSE(ExportAudio(SynthFor(c.name), request));
        EXPECT_EQ(calls, c.cancelAtCall);
        EXPECT_EQ(ReadWholeFile(Path(c.name)), old);
        // A cancel without an old file leaves nothing.
        const std::string fresh = Path(std::string("fresh-") + c.name);
        request.path = fresh;
        calls = 0;
        EXPECT_FALSE(ExportAudio(SynthFor(c.name), request));
        EXPECT_FALSE(fs::exists(fresh));
    }
    EXPECT_EQ(Files().size(), 5u);
}

TEST_F(AudioExportTest, RefusalsNameTheFileAndWriteNothing)
{
    const std::string midi = Melody();
    struct Case {
        std::string path;
        std::string_view message;
        std::string named;
    };
    const std::vector<Case> cases{
        {Path("song.aiff"), Msg::AudioFormatUnknown, Path("song.aiff")},
        {Path("no/such/folder/song.ogg"), Msg::FileWriteFailed, Path("no/such/folder/song.ogg")},
    };
    for (const Case& c : cases) {
        try {
            Export(midi, c.path, {});
            ADD_FAILURE() << c.path;
        } catch (const QuaverlyError& error) {
            const std::string what = error.what();
            EXPECT_EQ(what.rfind(std::string(c.message), 0), 0u) << what;
            EXPECT_NE(what.find(c.named), std::string::npos) << what;
        }
    }
    // Bytes that are not a MIDI file, and a synthesizer at the wrong rate.
    EXPECT_THROW(Export("MThd", Path("bad.wav"), {}), QuaverlyError);
    AudioExportRequest request;
    request.midiBytes = midi;
    request.path = Path("rate.opus");
    EXPECT_THROW(ExportAudio(*s_synth44, request), QuaverlyError);
    EXPECT_TRUE(Files().empty());
}

int RunCli(const std::string& arguments)
{
    const int status = std::system((std::string(QUAVERLY_CLI) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(AudioExportTest, CommandLineRenderWritesTheFormatOfTheExtension)
{
    if (!HaveFfmpeg()) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    const std::string input = std::string(QUAVERLY_EXAMPLES_DIR) + "/kirakira.tml";
    ASSERT_EQ(RunCli("midi " + input + " -o " + Path("k.mid") + " --edit-tempo 300"), 0);
    const MidiFileTiming timing = ReadMidiTiming(ReadWholeFile(Path("k.mid")), "k.mid");
    for (const std::string& options : {"-o " + Path("k.opus") + " --normalize", "-o " + Path("k.mp3")}) {
        const std::string name = options.substr(3, options.find(' ', 3) - 3);
        SCOPED_TRACE(name);
        ASSERT_EQ(RunCli("render " + input + " " + options + " --edit-tempo 300 --repeat 2 --fade 0.5"), 0);
        const Decoded decoded = Decode(name);
        const int rate = AudioSampleRate(*AudioFormatOfPath(name));
        EXPECT_EQ(decoded.sampleRate, rate);
        EXPECT_NEAR(static_cast<double>(decoded.frames), (timing.seconds * 2 + 0.5) * rate, 0.010 * rate);
    }
    // Wrong values are a usage error (2); a wrong extension is refused (1); nothing is written.
    struct Case {
        std::string arguments;
        int exitCode;
    };
    for (const Case& c : {Case{"-o " + Path("x.ogg") + " --repeat 0", 2}, Case{"-o " + Path("x.ogg") + " --repeat 11", 2},
                          Case{"-o " + Path("x.ogg") + " --repeat 2x", 2}, Case{"-o " + Path("x.ogg") + " --fade -1", 2},
                          Case{"-o " + Path("x.ogg") + " --fade 31", 2}, Case{"-o " + Path("x.ogg") + " --fade nan", 2},
                          Case{"-o -", 2}, Case{"-o " + Path("x.aiff"), 1},
                          Case{"-o " + Path("x.ogg") + " --soundfont /nonexistent/none.sf2", 1}}) {
        EXPECT_EQ(RunCli("render " + input + " " + c.arguments), c.exitCode) << c.arguments;
    }
    EXPECT_FALSE(fs::exists(Path("x.ogg")));
    EXPECT_FALSE(fs::exists(Path("x.aiff")));
}

TEST_F(AudioExportTest, CommandLineRenderEndsOnAnInterruptWithoutAFile)
{
    const std::string input = std::string(QUAVERLY_EXAMPLES_DIR) + "/kirakira.tml";
    const std::string target = Path("i.ogg");
    WriteWholeFile(target, "old");
    // A long rendering (ten times over at a slow tempo), interrupted once it runs.
    const std::string command = std::string(QUAVERLY_CLI) + " render " + input + " -o " + target +
                                " --edit-tempo 20 --repeat 10 --normalize 2>/dev/null & pid=$!; sleep 1; "
                                "kill -INT $pid; wait $pid";
    const int status = std::system(("sh -c '" + command + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(Files().size(), 1u);
}

}  // namespace
}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
