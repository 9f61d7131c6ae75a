// The synthesizer unit: the MIDI file timing reader, the WAV writer, the
// renderer and the real-time player (without a sound device: the silent
// output and FluidSynth's "file" driver keep time as a device would).
#ifdef QUAVERLY_HAVE_SYNTH

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "UnitMidi/MidiWriter.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "synth/AudioRenderer.h"
#include "UnitMidi/MidiFileReader.h"
#include "synth/MidiFileTiming.h"
#include "synth/SequencePlayer.h"
#include "synth/WavFile.h"

namespace quaverly {
namespace {

using Clock = std::chrono::steady_clock;

// Two quarter notes on voice 1 and its end at melody time 96: the file runs
// 1920 + 960 ticks, six quarters.
SequenceList TwoQuarters()
{
    SequenceList list;
    list.AddEvent(0, 0, 27, 48);
    list.AddEvent(48, 0, 30, 48);
    list.AddEvent(96, 0, -1, 0);
    return list;
}

std::string MelodyMidi(int tempo, const std::string& editTempo, std::array<bool, 4> playMask = {true, true, true, true})
{
    MidiSettings settings;
    settings.tempo = tempo;
    settings.editTempo = editTempo;
    settings.playMask = playMask;
    return MidiFileBytes(TwoQuarters(), settings);
}

std::filesystem::path TempPath(const std::string& name)
{
    // One folder per process: ctest runs these tests in parallel processes.
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quaverly-synth-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

TEST(MidiFileTimingTest, LengthIsTheLastEventOverAllTracksAtTheFilesTempo)
{
    struct Case {
        int tempo;
        const char* editTempo;
        double secondsPerQuarter;
    };
    for (const Case& c : {Case{120, "100", 0.5}, Case{120, "95", 0.475}, Case{250, "20", 0.048}}) {
        MidiFileTiming timing = ReadMidiTiming(MelodyMidi(c.tempo, c.editTempo), "t.mid");
        EXPECT_EQ(timing.division, 480);
        EXPECT_EQ(timing.totalTicks, 2880);  // the conductor's closing bar counts
        EXPECT_NEAR(timing.seconds, 6 * c.secondsPerQuarter, 1e-6) << c.tempo << " " << c.editTempo;
    }
}

TEST(MidiFileTimingTest, RunningStatusAndTempoChangesAreFollowed)
{
    // One track: tempo 500000 at 0, a note with running status, tempo 250000
    // at 480, end at 960: 0.5 s + 0.25 s.
    std::string track = std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7) + std::string("\x00\x90\x48\x40", 4) +
                        std::string("\x83\x60\x48\x00", 4) + std::string("\x00\xFF\x51\x03\x03\xD0\x90", 7) +
                        std::string("\x83\x60\xFF\x2F\x00", 5);
    std::string file = std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 14) + "MTrk" +
                       std::string("\x00\x00\x00", 3) + static_cast<char>(track.size()) + track;
    MidiFileTiming timing = ReadMidiTiming(file, "t.mid");
    EXPECT_EQ(timing.totalTicks, 960);
    EXPECT_NEAR(timing.seconds, 0.75, 1e-9);
}

TEST(MidiFileTimingTest, MalformedBytesAreRefusedWithoutReadingPastThem)
{
    const std::string good = MelodyMidi(120, "100");
    for (size_t length = 0; length < good.size(); ++length) {
        EXPECT_THROW(ReadMidiTiming(good.substr(0, length), "cut.mid"), QuaverlyError) << length;
    }
    std::string smpte = good;
    smpte[12] = static_cast<char>(0xE7);  // a negative division counts frames
    EXPECT_THROW(ReadMidiTiming(smpte, "smpte.mid"), QuaverlyError);
    try {
        ReadMidiTiming("RIFF", "x.mid");
        FAIL();
    } catch (const QuaverlyError& error) {
        EXPECT_EQ(std::string(error.what()), MidiFileError(Msg::MidiReasonNotMidi, "x.mid").what());
    }
    // Corrupted bytes either read or are refused; the sanitizer build sees any overrun.
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        try {
            ReadMidiTiming(bytes, "fuzz.mid");
        } catch (const QuaverlyError&) {
        }
    }
}

TEST(WavFileTest, HeaderDescribesSixteenBitStereoPcm)
{
    std::string wav = WavFileBytes({1, -2, 0x1234, -1}, 2, 44100);
    ASSERT_EQ(wav.size(), 44u + 8u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(4, 4), std::string("\x2C\x00\x00\x00", 4));  // 36 + 8
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.substr(16, 20), std::string("\x10\x00\x00\x00\x01\x00\x02\x00\x44\xAC\x00\x00"
                                              "\x10\xB1\x02\x00\x04\x00\x10\x00",
                                              20));
    EXPECT_EQ(wav.substr(36, 8), std::string("data\x08\x00\x00\x00", 8));
    EXPECT_EQ(wav.substr(44), std::string("\x01\x00\xFE\xFF\x34\x12\xFF\xFF", 8));
}

class SynthFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_synth = std::make_unique<Synthesizer>(); }
    static void TearDownTestSuite() { s_synth.reset(); }
    static std::unique_ptr<Synthesizer> s_synth;
};
std::unique_ptr<Synthesizer> SynthFixture::s_synth;

double Rms(const RenderedAudio& audio, double fromSeconds, double toSeconds)
{
    auto from = static_cast<size_t>(fromSeconds * Synthesizer::SampleRate) * 2;
    auto to = std::min(audio.samples.size(), static_cast<size_t>(toSeconds * Synthesizer::SampleRate) * 2);
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        sum += static_cast<double>(audio.samples[i]) * audio.samples[i];
    }
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

TEST_F(SynthFixture, RenderedAudioLastsTheFilesLengthAndSoundsWhereNotesPlay)
{
    // Six quarters at half a second: notes in the first second, then a silent bar.
    RenderedAudio audio = RenderMidi(*s_synth, MelodyMidi(120, "100"), "t.mid");
    EXPECT_EQ(audio.Frames(), 3u * Synthesizer::SampleRate);
    double notes = Rms(audio, 0.05, 0.95);
    EXPECT_GT(notes, 100.0);
    EXPECT_LT(Rms(audio, 2.5, 3.0), notes / 20);
}

TEST_F(SynthFixture, AllVoicesSwitchedOffRenderSilence)
{
    // What played before (its reverb tail included) stays out of a new rendering.
    RenderMidi(*s_synth, MelodyMidi(250, "20"), "before.mid");
    RenderedAudio audio = RenderMidi(*s_synth, MelodyMidi(120, "100", {false, false, false, false}), "t.mid");
    EXPECT_EQ(audio.Frames(), 3u * Synthesizer::SampleRate);
    int loudest = 0;
    for (int16_t sample : audio.samples) {
        loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    }
    EXPECT_LE(loudest, 1);  // dither at most
}

TEST(SynthesizerTest, ANamedSoundFontThatIsMissingIsRefusedByName)
{
    try {
        Synthesizer synth("/nonexistent/none.sf2");
        FAIL();
    } catch (const QuaverlyError& error) {
        EXPECT_EQ(std::string(error.what()), std::string(Msg::SoundFontUnreadable) + "/nonexistent/none.sf2");
    }
    // The environment's soundfont comes before the default places, and is
    // refused rather than replaced when it is missing.
    std::string fromEnvironment = TempPath("env.sf2").string();
    WriteWholeFile(fromEnvironment, "x");
    ::setenv("QUAVERLY_SOUNDFONT", fromEnvironment.c_str(), 1);
    EXPECT_EQ(FindSoundFont(""), fromEnvironment);
    ::setenv("QUAVERLY_SOUNDFONT", "/nonexistent/env.sf2", 1);
    EXPECT_THROW(FindSoundFont(""), QuaverlyError);
    ::unsetenv("QUAVERLY_SOUNDFONT");
}

// Records completion calls and when they came.
struct Notices {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    Clock::time_point last;

    std::function<void()> Callback()
    {
        return [this] {
            std::lock_guard lock(mutex);
            ++count;
            last = Clock::now();
            changed.notify_all();
        };
    }
    bool WaitFor(int wanted, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return count >= wanted; });
    }
};

class PlayerFixture : public SynthFixture {
protected:
    std::string WriteMelody(int tempo, const std::string& editTempo)
    {
        std::string path = TempPath("play.mid").string();
        WriteWholeFile(path, MelodyMidi(tempo, editTempo));
        return path;
    }

    // Plays to the end and checks the one notice came at the file's length.
    void ExpectOneNoticeAtLength(SequencePlayer& player, Notices& notices, int wanted)
    {
        Clock::time_point start = Clock::now();
        ASSERT_EQ(player.Play(notices.Callback()), 0);
        EXPECT_TRUE(player.IsPlaying());
        ASSERT_TRUE(notices.WaitFor(wanted, std::chrono::seconds(5)));
        double elapsed = std::chrono::duration<double>(notices.last - start).count();
        EXPECT_NEAR(elapsed, 0.288, 0.1);
        EXPECT_FALSE(player.IsPlaying());
    }
};

TEST_F(PlayerFixture, PlayEndsWithOneNoticeAtTheFilesLengthAndReplaysFromTheStart)
{
    for (AudioOutputKind kind : {AudioOutputKind::Silent, AudioOutputKind::File}) {
        SequencePlayer player(*s_synth,
                              {.kind = kind, .driver = {}, .fileName = TempPath("out.wav").string(), .observer = {}});
        player.Open(WriteMelody(250, "20"));
        Notices notices;
        ExpectOneNoticeAtLength(player, notices, 1);
        ExpectOneNoticeAtLength(player, notices, 2);  // played at the end: rewinds
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_EQ(notices.count, 2);
        player.Close();
    }
}

TEST_F(PlayerFixture, StopEndsThePlayAndItsNoticeStillComes)
{
    SequencePlayer player(*s_synth, {.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = {}});
    player.Open(WriteMelody(120, "100"));  // three seconds
    Notices notices;
    ASSERT_EQ(player.Play(notices.Callback()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Clock::time_point stopped = Clock::now();
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    ASSERT_TRUE(notices.WaitFor(1, std::chrono::seconds(1)));
    EXPECT_LT(notices.last - stopped, std::chrono::milliseconds(100));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(notices.count, 1);
}

TEST_F(PlayerFixture, CloseWhilePlayingSendsNoNotice)
{
    SequencePlayer player(*s_synth, {.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = {}});
    player.Open(WriteMelody(120, "100"));
    Notices notices;
    ASSERT_EQ(player.Play(notices.Callback()), 0);
    player.Close();
    EXPECT_FALSE(notices.WaitFor(1, std::chrono::milliseconds(150)));
    EXPECT_EQ(player.Play(notices.Callback()), PlayErrorNotOpen);
}

TEST_F(PlayerFixture, NoAudioDeviceOrBadFileFailsTheOpenInsteadOfHanging)
{
    SequencePlayer player(*s_synth,
                          {.kind = AudioOutputKind::Device, .driver = "nosuchdriver", .fileName = {}, .observer = {}});
    try {
        player.Open(WriteMelody(250, "20"));
        FAIL();
    } catch (const QuaverlyError& error) {
        EXPECT_EQ(std::string(error.what()), std::string(Msg::AudioDeviceUnavailable) + "nosuchdriver");
    }
    EXPECT_FALSE(player.IsOpen());
    Notices notices;
    EXPECT_EQ(player.Play(notices.Callback()), PlayErrorNotOpen);

    // A missing or malformed file fails the open the same way.
    SequencePlayer silent(*s_synth, {.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = {}});
    EXPECT_THROW(silent.Open(TempPath("missing.mid").string() + ".none"), FileError);
    std::string bad = TempPath("bad.mid").string();
    WriteWholeFile(bad, "MThd\x00\x00");
    EXPECT_THROW(silent.Open(bad), QuaverlyError);
    EXPECT_FALSE(silent.IsOpen());
}

// quaverly-cli wav renders the very file quaverly-cli midi writes.
int RunCli(const std::string& arguments)
{
    int status = std::system((std::string(QUAVERLY_CLI) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliWavTest, RendersTheMidiFileOfTheSameInputForItsLength)
{
    const std::string input = std::string(QUAVERLY_EXAMPLES_DIR) + "/kirakira.tml";
    const std::string midi = TempPath("cli.mid").string();
    const std::string wav = TempPath("cli.wav").string();
    for (const std::string voices : {"1234", "none"}) {
        ASSERT_EQ(RunCli("midi " + input + " -o " + midi + " --voices " + voices + " --edit-tempo 300"), 0);
        ASSERT_EQ(RunCli("wav " + input + " -o " + wav + " --voices " + voices + " --edit-tempo 300"), 0);
        MidiFileTiming timing = ReadMidiTiming(ReadWholeFile(midi), midi);
        std::string bytes = ReadWholeFile(wav);
        ASSERT_GT(bytes.size(), 44u);
        EXPECT_EQ((bytes.size() - 44) / 4, static_cast<size_t>(std::llround(timing.seconds * Synthesizer::SampleRate)));
        int loudest = 0;
        for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
            auto sample =
                static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
            loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
        }
        if (voices == "none") {
            EXPECT_LE(loudest, 1);
        } else {
            EXPECT_GT(loudest, 1000);
        }
    }
    EXPECT_EQ(RunCli("wav " + input + " -o " + wav + " --soundfont /nonexistent/none.sf2"), 1);
    EXPECT_EQ(RunCli("wav " + input + " -o -"), 2);
}

}  // namespace
}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
