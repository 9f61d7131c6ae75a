// The synthesizer module as the programs load it: found beside the program,
// every failure turned into a message instead of an exception crossing into
// the caller, the player's operations safe in any order, one completion per
// play carrying the play's number, none after close, and the renderers'
// refusals and cancels writing nothing.
#ifdef QUAVERLY_HAVE_SYNTH

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
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
#include "base/FileIO.h"

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
    bool WaitFor(size_t count)
    {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(10), [&] { return plays.size() >= count; });
    }
};

class SynthModuleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ops = reinterpret_cast<QuaverlyPlayerEntry>(LoadSynthModuleEntry(PlayerSymbol))();
        ASSERT_NE(ops, nullptr);
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
    EXPECT_TRUE(completions.plays.empty());
}

TEST_F(SynthModuleFixture, FilesThatCannotBePlayedAreRefusedWithTheirName)
{
    MakePlayer();
    const std::string missing = TempPath("missing.mid").string();
    const std::string malformed = TempPath("malformed.mid").string();
    WriteWholeFile(malformed, std::string("MThd\0\0\0\6", 8));
    for (const std::string& path : {missing, malformed}) {
        failure.clear();
        EXPECT_NE(ops->open(player, path.c_str(), CollectSynthFailure, &failure), 0) << path;
        EXPECT_NE(failure.find(std::filesystem::path(path).filename().string()), std::string::npos) << failure;
        Completions completions;
        EXPECT_NE(ops->playFrom(player, -1, Completions::Record, &completions, 1), 0) << path;
    }
}

TEST_F(SynthModuleFixture, APlayEndsWithOneCompletionCarryingItsNumber)
{
    MakePlayer();
    const std::string path = TempPath("short.mid").string();
    WriteWholeFile(path, ShortMelodyMidi());
    ASSERT_EQ(ops->open(player, path.c_str(), CollectSynthFailure, &failure), 0) << failure;
    EXPECT_EQ(ops->division(player), 480);
    Completions completions;
    ASSERT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 7), 0);
    EXPECT_EQ(ops->isPlaying(player), 1);
    ASSERT_TRUE(completions.WaitFor(1));
    EXPECT_GT(heardBlocks.load(), 0);
    // Played to the end: the next play starts from the beginning with its own number.
    ASSERT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 8), 0);
    ASSERT_TRUE(completions.WaitFor(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(completions.plays, (std::vector<uint64_t>{7, 8}));
    EXPECT_EQ(ops->isPlaying(player), 0);
}

TEST_F(SynthModuleFixture, CloseDuringAPlaySendsNoCompletion)
{
    MakePlayer();
    const std::string path = TempPath("close.mid").string();
    WriteWholeFile(path, ShortMelodyMidi());
    ASSERT_EQ(ops->open(player, path.c_str(), CollectSynthFailure, &failure), 0) << failure;
    Completions completions;
    ASSERT_EQ(ops->playFrom(player, -1, Completions::Record, &completions, 1), 0);
    ops->close(player);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(completions.plays.empty());
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

// The export's progress told to cancel at once.
int CancelAtOnce(void*, double)
{
    return 0;
}

TEST(SynthModuleRenderTest, RefusalsAndCancelsWriteNothing)
{
    const auto render = reinterpret_cast<QuaverlyRenderAudioEntry>(LoadSynthModuleEntry(RenderAudioSymbol));
    const std::string midi = ShortMelodyMidi();
    struct Case {
        const char* name;
        QuaverlyRenderProgress progress;
        int result;
    };
    for (const Case& c : {Case{"song.xyz", nullptr, 1}, Case{"cancelled.wav", CancelAtOnce, 2}}) {
        const std::string out = TempPath(c.name).string();
        const QuaverlyAudioRequest request{midi.data(), midi.size(), "song", out.c_str(), "", 1, 0.0, 0,
                                           c.progress, nullptr};
        std::string failure;
        EXPECT_EQ(render(&request, CollectSynthFailure, &failure), c.result) << c.name << ": " << failure;
        EXPECT_EQ(failure.empty(), c.result != 1) << c.name;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.name;
    }
}

}  // namespace
}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
