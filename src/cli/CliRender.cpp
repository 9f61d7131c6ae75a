// quaverly-cli render: the melody as an ordinary audio file (WAV, FLAC, Ogg
// Vorbis, Opus or MP3 by the output's extension) or a phone's ringtone (an
// iPhone's ".m4r", an Android's looping Ogg), played a number of times,
// faded out and normalised as asked. The MIDI file is the one `midi` writes
// for the same input and options; the synthesizer module (audio/SynthModule.h)
// renders and encodes it, and is loaded here and in `wav` only. Built only
// with the synthesizer.
#ifdef QUAVERLY_HAVE_SYNTH_MODULE

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "BatchRunner.h"
#include "CliSupport.h"
#include "MidiInput.h"
#include "audio/AudioFormat.h"
#include "audio/SynthModule.h"
#include "base/Messages.h"
#include "Subcommands.h"
#include "base/Errors.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli render INPUT... (-o OUT.{wav,flac,ogg,opus,mp3,m4r} | -d OUTDIR [--format EXT]) [--jobs N] "
    "[--repeat N] [--fade SECONDS] [--normalize] [--max-seconds S] [--loop] [--edit-tempo TEXT] "
    "[--voices DIGITS|none] [--soundfont FILE] [--extended]\n"
    "\n"
    "Renders the melody as play sounds it into an audio file whose format\n"
    "follows the extension of OUT: .wav (16-bit PCM), .flac, .ogg (Ogg Vorbis),\n"
    ".opus (Ogg Opus, 48 kHz), .mp3 or .m4r (an iPhone ringtone: AAC-LC in an\n"
    "MPEG-4 audio container); all but Opus at 44.1 kHz, all stereo. An .m4r\n"
    "file is at most 30 seconds long unless --max-seconds says otherwise: a\n"
    "longer render is faded out over its last 2 seconds so that it ends there,\n"
    "and a line on standard error says so. It is encoded by FFmpeg through the\n"
    "module quaverly-encode.so, loaded for .m4r only; where it or FFmpeg is\n"
    "missing, the command says which and writes nothing.\n"
    "The melody is as long as the MIDI file that \"midi\" writes for the same\n"
    "INPUT and options; INPUT and the refusals are those of \"midi\". On a\n"
    "terminal a progress line is shown on standard error. An interrupt (Ctrl+C)\n"
    "cancels: nothing is written and an existing OUT stays as it was (exit 130).\n"
    "\n"
    "  -o FILE            the audio file to write\n"
    "  -d OUTDIR          several inputs: write OUTDIR/NAME.EXT for each INPUT,\n"
    "                     go on past a file that fails (a line with its reason),\n"
    "                     end with a summary; exit 1 when any failed\n"
    "  --format EXT       the format of the files that -d writes: wav (default),\n"
    "                     flac, ogg, opus, mp3 or m4r\n"
    "  --jobs N           inputs rendered at once (default: every processor)\n"
    "  --repeat N         play the melody N times over, 1 to 10 (default 1); a\n"
    "                     melody of another maker with a loop plays its intro\n"
    "                     once, then its loop section N times (the fade plays\n"
    "                     the loop on, its volume falling)\n"
    "  --fade SECONDS     play on this long after the last repeat, fading out\n"
    "                     to silence, 0 to 30 (default 0)\n"
    "  --normalize        scale the whole so that its peak is -1 dBFS\n"
    "  --max-seconds S    .m4r only: the longest the file may be, 1 to 40\n"
    "                     (default 30, what an iPhone takes on the phone)\n"
    "  --loop             .ogg and .opus only: write the comment\n"
    "                     ANDROID_LOOP=true, so that Android repeats the\n"
    "                     ringtone while it rings\n"
    "  --edit-tempo TEXT  the tempo adjustment in percent (default 95)\n"
    "  --voices DIGITS    the voices to sound, e.g. 13 (default 1234);\n"
    "                     \"none\" renders silence\n"
    "  --soundfont FILE   the General MIDI soundfont (default: the environment\n"
    "                     variable QUAVERLY_SOUNDFONT, else the system's)\n"
    "  --extended         the extended notation, for a .tml input\n";

constexpr int ExitInterrupted = 130;

int ParseRepeat(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 10) {
        throw UsageError("--repeat takes a whole number from 1 to 10, not \"" + text + "\"");
    }
    return value;
}

// --max-seconds: for an ".m4r" output only, where it defaults to an iPhone's 30 s.
double ParseMaxSeconds(const Arguments& arguments, AudioFormat format)
{
    if (!arguments.Has("--max-seconds")) {
        return format == AudioFormat::M4r ? DefaultM4rSeconds : 0.0;
    }
    if (format != AudioFormat::M4r) {
        throw UsageError("--max-seconds applies to an .m4r output only");
    }
    const std::string text = arguments.Value("--max-seconds", "");
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value >= MinM4rSeconds) ||
        value > MaxM4rSeconds) {
        throw UsageError("--max-seconds takes seconds from 1 to 40, not \"" + text + "\"");
    }
    return value;
}

double ParseFade(const std::string& text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value >= 0.0) ||
        value > 30.0) {
        throw UsageError("--fade takes seconds from 0 to 30, not \"" + text + "\"");
    }
    return value;
}

// The progress line and the interrupt: an interrupt or a termination signal
// is held back while rendering and read here, so that the export can end
// itself and remove its temporary file.
struct RenderWatch {
    sigset_t interrupts{};
    bool showProgress = false;
    int shownPercent = -1;
    bool interrupted = false;
};

// False to cancel: an interrupt is pending.
bool OnProgress(RenderWatch& watch, double fraction)
{
    sigset_t pending;
    if (::sigpending(&pending) == 0 &&
        (::sigismember(&pending, SIGINT) == 1 || ::sigismember(&pending, SIGTERM) == 1)) {
        watch.interrupted = true;
        return false;
    }
    const int percent = static_cast<int>(fraction * 100.0);
    if (watch.showProgress && percent != watch.shownPercent) {
        watch.shownPercent = percent;
        std::fprintf(stderr, "\rrendering: %3d%%", percent);
        std::fflush(stderr);
    }
    return true;
}

// One input rendered into the output; throws QuaverlyError with the
// module's reason. A batch passes no watch: it shows its own progress.
AudioRenderResult RenderOne(const SynthModule& module, const std::string& input, const std::string& output,
                            const Arguments& arguments, const MidiInputOptions& inputOptions, RenderWatch* watch,
                            double* maxSecondsUsed = nullptr)
{
    const int repeats = ParseRepeat(arguments.Value("--repeat", "1"));
    const double fade = ParseFade(arguments.Value("--fade", "0"));
    // An unknown extension is the module's refusal, told with the file's name.
    const std::optional<AudioFormat> format = AudioFormatOfPath(output);
    const double maxSeconds = format ? ParseMaxSeconds(arguments, *format) : 0.0;
    if (arguments.Has("--loop") && (!format || !AudioFormatCanLoop(*format))) {
        throw UsageError("--loop applies to an .ogg or .opus output only");
    }
    // A melody of another maker with a loop: its intro, then the loop section
    // as many times as asked, then the loop fading out, all written out in the
    // MIDI file that is rendered once.
    MidiInputOptions options = inputOptions;
    options.loopPasses = repeats;
    options.loopFadeSeconds = fade;
    bool loopUnrolled = false;
    AudioRenderJob job;
    job.midiBytes = MidiBytesForInput(input, options, &loopUnrolled);
    job.name = input;
    job.path = output;
    job.soundFont = arguments.Value("--soundfont", "");
    job.repeats = loopUnrolled ? 1 : repeats;
    job.fadeSeconds = loopUnrolled ? 0.0 : fade;
    job.normalize = arguments.Has("--normalize");
    job.maxSeconds = maxSeconds;
    job.loop = arguments.Has("--loop");
    if (maxSecondsUsed != nullptr) {
        *maxSecondsUsed = maxSeconds;
    }
    AudioRenderProgress progress;
    if (watch != nullptr) {
        progress = [watch](double fraction) { return OnProgress(*watch, fraction); };
    }
    return module.RenderAudio(job, progress);
}

std::string CutNotice(double maxSeconds)
{
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.1f ", maxSeconds);
    return std::string(Msg::AudioCutAtLimit) + limit + std::string(Msg::SecondsUnit);
}

int RunRender(const std::vector<std::string>& args)
{
    Arguments arguments(args,
                        WithBatchOptionRules(RenderOptionRules({{"--repeat", true},
                                                                {"--fade", true},
                                                                {"--normalize", false},
                                                                {"--max-seconds", true},
                                                                {"--loop", false},
                                                                {"--format", true}})),
                        1, SIZE_MAX);
    const BatchPlan plan = ReadBatchPlan(arguments);
    if (IsBatch(plan)) {
        RequireOutDir(plan);
        const std::string format = arguments.Value("--format", "wav");
        if (format != "wav" && format != "flac" && format != "ogg" && format != "opus" && format != "mp3" &&
            format != "m4r") {
            throw UsageError("--format takes wav, flac, ogg, opus, mp3 or m4r, not \"" + format + "\"");
        }
        const MidiInputOptions options = ReadMidiInputOptions(arguments);
        const SynthModule module;
        return RunBatch(plan, [&](const std::string& input) {
            double maxSeconds = 0.0;
            const AudioRenderResult result = RenderOne(module, input, BatchOutputPath(plan, input, "." + format),
                                                       arguments, options, nullptr, &maxSeconds);
            return BatchResult{{}, result == AudioRenderResult::WrittenCut ? ForPerson(CutNotice(maxSeconds)) : std::string()};
        });
    }
    if (arguments.Positional().size() > 1) {
        throw UsageError("too many arguments");
    }
    const RenderInput read = ReadRenderInput(arguments, "render");
    const SynthModule module;

    RenderWatch watch;
    watch.showProgress = ::isatty(STDERR_FILENO) == 1;
    sigemptyset(&watch.interrupts);
    sigaddset(&watch.interrupts, SIGINT);
    sigaddset(&watch.interrupts, SIGTERM);
    sigset_t previous;
    ::sigprocmask(SIG_BLOCK, &watch.interrupts, &previous);

    // A failure is thrown once the progress line has ended.
    std::exception_ptr failure;
    AudioRenderResult result = AudioRenderResult::Written;
    double maxSeconds = 0.0;
    try {
        result = RenderOne(module, read.input, read.output, arguments, read.options, &watch, &maxSeconds);
    } catch (const QuaverlyError&) {
        failure = std::current_exception();
    }
    if (watch.shownPercent >= 0) {
        std::fputs("\n", stderr);
    }
    if (watch.interrupted) {
        // Ends as the signal asked, now that nothing is left half-written.
        std::fputs("rendering cancelled: nothing written\n", stderr);
        return ExitInterrupted;
    }
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (failure) {
        std::rethrow_exception(failure);
    }
    if (result == AudioRenderResult::WrittenCut) {
        PrintLine(stderr, CutNotice(maxSeconds));
    }
    return ExitSuccess;
}

}  // namespace

extern const Subcommand RenderCommand{"render",
                                      "render a melody into an audio file (WAV, FLAC, Ogg Vorbis, Opus, MP3, M4R)", Help,
                                      RunRender};

}  // namespace quaverly::cli

#endif  // QUAVERLY_HAVE_SYNTH_MODULE
