// The synthesizer module as the programs load it: found beside the program,
// a module that cannot be loaded "not available" with its reason, every
// failure turned into a message instead of an exception crossing into the
// caller, the player's operations safe in any order, one completion per play
// carrying the play's number, none after close, and the renderers' refusals
// and cancels writing nothing.
#ifdef QUAVERLY_HAVE_SYNTH

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ShortMelody.h"
#include "audio/AudioOutput.h"
#include "audio/SynthModule.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

std::filesystem::path TempPath(const std::string& name)
{
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quaverly-module-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

// What the completions of the plays said, in order.
struct Completions {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<uint64_t> plays;

    static void Record(void* context, uint64_t play)
    {
        auto* self = static_cast<Completions*>(context);
        std::lock_guard lock(self->mutex);
        self->plays.push_back(play);
        self->arrived.notify_all();
    }
    bool WaitFor(size_t count, std::chrono::milliseconds deadline = std::chrono::seconds(10))
    {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, deadline, [&] { return plays.size() >= count; });
    }
};

// Well past the end of the short melody's play (0.288 s), by when a
// completion that is due has come.
constexpr std::chrono::milliseconds PastThePlaysEnd{1500};

class SynthModuleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module.Available()) << module.Reason();
        ops = &module.PlayerOperations();
    }
    void TearDown() override
    {
        if (player != nullptr) {
            ops->destroy(player);
        }
    }
    // A player over the silent output whose blocks are counted as heard
    // when they are not silence.
    void MakePlayer()
    {
        const QuaverlyPlayerOutput output{2, "", "", &SynthModuleFixture::Observe, this};
        player = ops->create("", &output, CollectSynthFailure, &failure);
        ASSERT_NE(player, nullptr) << failure;
    }
    static void Observe(void* context, const float* left, const float* right, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            if (left[i] != 0.0F || right[i] != 0.0F) {
                ++static_cast<SynthModuleFixture*>(context)->heardBlocks;
                return;
            }
        }
    }

    SynthModule module;
    const QuaverlyPlayerOperations* ops = nullptr;
    QuaverlyPlayer* player = nullptr;
    std::string failure;
    std::atomic<int> heardBlocks{0};
};

TEST_F(SynthModuleFixture, AMissingSoundFontMakesNoPlayerAndSaysWhich)
{
    const QuaverlyPlayerOutput output{2, "", "", nullptr, nullptr};
    EXPECT_EQ(ops->create("/nonexistent/none.sf2", &output, CollectSynthFailure, &failure), nullptr);
    EXPECT_NE(failure.find("/nonexistent/none.sf2"), std::string::npos) << failure;
}

TEST_F(SynthModuleFixture, EveryOperationIsSafeBeforeAFileIsOpen)
{
    MakePlayer();
    Completions completions;
    EXPECT_EQ(ops->division(player), 0);
    EXPECT_EQ(ops->currentTick(player), -1);
    EXPECT_EQ(ops->isPlaying(player), 0);
    EXPECT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 1), PlayErrorNotOpen);
    ops->stop(player);
    ops->endSound(player, 0, 60);
    ops->releaseSoundOutput(player);
    ops->close(player);
    EXPECT_FALSE(completions.WaitFor(1, PastThePlaysEnd));
}

TEST_F(SynthModuleFixture, BytesThatCannotBePlayedAreRefusedWithTheirName)
{
    MakePlayer();
    for (const std::string& bytes : {std::string(), std::string("MThd\0\0\0\6", 8), ShortMelodyMidi().substr(0, 30)}) {
        failure.clear();
        EXPECT_NE(ops->open(player, bytes.data(), bytes.size(), "Play.mid", CollectSynthFailure, &failure), 0);
        EXPECT_NE(failure.find("Play.mid"), std::string::npos) << failure;
        Completions completions;
        EXPECT_NE(ops->playFrom(player, -1, Completions::Record, &completions, 1), 0);
    }
}

TEST_F(SynthModuleFixture, APlayEndsWithOneCompletionCarryingItsNumber)
{
    MakePlayer();
    const std::string midi = ShortMelodyMidi();
    ASSERT_EQ(ops->open(player, midi.data(), midi.size(), "short.mid", CollectSynthFailure, &failure), 0) << failure;
    EXPECT_EQ(ops->division(player), 480);
    Completions completions;
    ASSERT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 7), 0);
    EXPECT_EQ(ops->isPlaying(player), 1);
    ASSERT_TRUE(completions.WaitFor(1));
    EXPECT_GT(heardBlocks.load(), 0);
    // Played to the end: the next play starts from the beginning with its own number.
    ASSERT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 8), 0);
    ASSERT_TRUE(completions.WaitFor(2));
    EXPECT_FALSE(completions.WaitFor(3, PastThePlaysEnd));
    EXPECT_EQ(completions.plays, (std::vector<uint64_t>{7, 8}));
    EXPECT_EQ(ops->isPlaying(player), 0);
}

TEST_F(SynthModuleFixture, CloseDuringAPlaySendsNoCompletion)
{
    MakePlayer();
    const std::string midi = ShortMelodyMidi();
    ASSERT_EQ(ops->open(player, midi.data(), midi.size(), "close.mid", CollectSynthFailure, &failure), 0) << failure;
    Completions completions;
    ASSERT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 1), 0);
    ops->close(player);
    EXPECT_FALSE(completions.WaitFor(1, PastThePlaysEnd));
    EXPECT_EQ(ops->isPlaying(player), 0);
}

TEST_F(SynthModuleFixture, AShortSoundPlaysWithoutAFile)
{
    MakePlayer();
    ASSERT_EQ(ops->startSound(player, 0, 0, 72, 100, CollectSynthFailure, &failure), 0) << failure;
    for (int wait = 0; wait < 100 && heardBlocks == 0; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_GT(heardBlocks.load(), 0);
    ops->endSound(player, 0, 72);
    ops->releaseSoundOutput(player);
}

TEST(SynthModuleRenderTest, RefusalsAndCancelsWriteNothing)
{
    const SynthModule module;
    AudioRenderJob job;
    job.midiBytes = ShortMelodyMidi();
    job.name = "song";
    job.path = TempPath("song.xyz").string();
    EXPECT_THROW(module.RenderAudio(job, {}), QuaverlyError);
    EXPECT_FALSE(std::filesystem::exists(job.path));
    job.path = TempPath("cancelled.wav").string();
    EXPECT_EQ(module.RenderAudio(job, [](double) { return false; }), AudioRenderResult::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(job.path));
}

TEST(SynthModuleRenderTest, AWrittenFileIsTold)
{
    const SynthModule module;
    AudioRenderJob job;
    job.midiBytes = ShortMelodyMidi();
    job.name = "song";
    job.path = TempPath("written.wav").string();
    std::vector<double> told;
    EXPECT_EQ(module.RenderAudio(job,
                                 [&told](double fraction) {
                                     told.push_back(fraction);
                                     return true;
                                 }),
              AudioRenderResult::Written);
    EXPECT_TRUE(std::filesystem::exists(job.path));
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), 1.0);
}

// A module that cannot be loaded is an object that says why, and whose
// every call throws that reason instead of reaching a symbol.
TEST(SynthModuleLoadTest, AModuleThatCannotBeLoadedIsNotAvailableWithItsReason)
{
    const std::string notAModule = TempPath("not-a-module.so").string();
    WriteWholeFile(notAModule, "not a shared object");
    const SynthModule module({"/nonexistent/quaverly-synth.so", notAModule});
    EXPECT_FALSE(module.Available());
    EXPECT_EQ(module.Reason().rfind(std::string(Msg::SynthModuleUnavailable), 0), 0U) << module.Reason();
    EXPECT_NE(module.Reason().find("/nonexistent/quaverly-synth.so: " + ErrnoReason(ENOENT)), std::string::npos)
        << module.Reason();
    EXPECT_NE(module.Reason().find("not-a-module.so"), std::string::npos) << module.Reason();
    AudioRenderJob job;
    job.path = TempPath("never.wav").string();
    EXPECT_THROW(module.RenderAudio(job, {}), QuaverlyError);
    EXPECT_THROW(module.PlayerOperations(), QuaverlyError);
    EXPECT_FALSE(std::filesystem::exists(job.path));
}

// The reason of a missing file is the file's own, even when naming the path
// in Shift-JIS meets a character it lacks (the conversion sets errno).
TEST(SynthModuleLoadTest, TheReasonOfAMissingPathSurvivesItsConversion)
{
    const SynthModule module({"/nonexistent/\xF0\x9F\x8E\xB5/quaverly-synth.so"});
    EXPECT_NE(module.Reason().find(": " + ErrnoReason(ENOENT)), std::string::npos) << module.Reason();
}

}  // namespace
}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
