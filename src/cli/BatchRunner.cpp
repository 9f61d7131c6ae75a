#include "BatchRunner.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

namespace fs = std::filesystem;

constexpr int MaxJobs = 256;

int DefaultJobs()
{
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : static_cast<int>(std::min<unsigned>(processors, MaxJobs));
}

int ParseJobs(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MaxJobs) {
        throw UsageError("--jobs takes a whole number from 1 to " + std::to_string(MaxJobs) + ", not \"" + text + "\"");
    }
    return value;
}

std::string Formatted(std::string_view format, int a, int b = 0, int c = 0)
{
    char line[256];
    std::snprintf(line, sizeof line, std::string(format).c_str(), a, b, c);
    return line;
}

// One input's outcome, kept until it is its turn to be printed.
struct Outcome {
    bool done = false;
    bool failed = false;
    std::string out;
};

// The shared state of the workers: the next input to take, the outcomes, and
// what goes to the terminal. Every print happens under the lock.
class Batch {
public:
    Batch(const BatchPlan& plan, const BatchWork& work)
        : m_plan(plan), m_work(work), m_outcomes(plan.inputs.size()), m_progress(::isatty(STDERR_FILENO) == 1)
    {
    }

    void Work()
    {
        for (;;) {
            const size_t index = m_next.fetch_add(1);
            if (index >= m_plan.inputs.size()) {
                return;
            }
            const std::string& input = m_plan.inputs[index];
            Outcome outcome;
            std::string notes;
            std::string failure;
            try {
                BatchResult result = m_work(input);
                outcome.out = std::move(result.out);
                notes = std::move(result.notes);
            } catch (const UsageError& error) {
                failure = error.what();
            } catch (const QuaverlyError& error) {
                failure = ForPerson(error.what());
            } catch (const std::bad_alloc&) {
                failure = ForPerson(Msg::ReasonOutOfMemory);
            } catch (const std::exception& error) {
                failure = error.what();
            }
            outcome.done = true;
            outcome.failed = !failure.empty();
            Finish(index, std::move(outcome), notes, failure);
        }
    }

    int Summarise()
    {
        ClearProgress();
        const int total = static_cast<int>(m_plan.inputs.size());
        const std::string summary = m_failed == 0 ? Formatted(Msg::BatchSummaryDone, total)
                                                  : Formatted(Msg::BatchSummary, total, total - m_failed, m_failed);
        PrintLine(stderr, summary);
        return m_failed == 0 ? ExitSuccess : ExitRefused;
    }

private:
    void Finish(size_t index, Outcome outcome, const std::string& notes, const std::string& failure)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ClearProgress();
        if (!notes.empty()) {
            std::fputs(notes.c_str(), stderr);
        }
        if (outcome.failed) {
            ++m_failed;
            const std::string line = ForPerson(Msg::BatchFailed) + m_plan.inputs[index] + ": " + failure + "\n";
            std::fputs(line.c_str(), stderr);
        }
        m_outcomes[index] = std::move(outcome);
        ++m_finished;
        // Standard output in the inputs' order: what is ready from the first not yet printed.
        while (m_printed < m_outcomes.size() && m_outcomes[m_printed].done) {
            Outcome& ready = m_outcomes[m_printed];
            if (!ready.out.empty()) {
                if (m_plan.inputs.size() > 1) {
                    std::printf("==> %s <==\n", m_plan.inputs[m_printed].c_str());
                }
                std::fwrite(ready.out.data(), 1, ready.out.size(), stdout);
                std::fflush(stdout);
            }
            ready.out.clear();
            ready.out.shrink_to_fit();
            ++m_printed;
        }
        ShowProgress();
    }

    void ShowProgress()
    {
        if (m_progress) {
            std::fprintf(stderr, "\r%zu/%zu", m_finished, m_plan.inputs.size());
            std::fflush(stderr);
            m_progressShown = true;
        }
    }

    void ClearProgress()
    {
        if (m_progressShown) {
            std::fputs("\r\x1b[K", stderr);
            m_progressShown = false;
        }
    }

    const BatchPlan& m_plan;
    const BatchWork& m_work;
    std::vector<Outcome> m_outcomes;
    std::atomic<size_t> m_next{0};
    std::mutex m_mutex;
    size_t m_printed = 0;
    size_t m_finished = 0;
    int m_failed = 0;
    bool m_progress = false;
    bool m_progressShown = false;
};

}  // namespace

std::vector<OptionRule> WithBatchOptionRules(std::vector<OptionRule> rules)
{
    rules.push_back({"-d", true});
    rules.push_back({"--jobs", true});
    return rules;
}

BatchPlan ReadBatchPlan(const Arguments& arguments)
{
    BatchPlan plan;
    plan.inputs = arguments.Positional();
    plan.outDir = arguments.Value("-d", "");
    plan.jobs = arguments.Has("--jobs") ? ParseJobs(arguments.Value("--jobs", "")) : DefaultJobs();
    if (arguments.Has("-d")) {
        if (plan.outDir.empty() || !fs::is_directory(plan.outDir)) {
            throw UsageError("-d needs an existing folder, not \"" + plan.outDir + "\"");
        }
        if (arguments.Has("-o")) {
            throw UsageError("-d and -o cannot go together: -d names each output after its input");
        }
    }
    return plan;
}

void RequireOutDir(const BatchPlan& plan)
{
    if (plan.outDir.empty()) {
        throw UsageError("several inputs need -d OUTDIR: each output is named after its input there");
    }
}

std::string BatchOutputPath(const BatchPlan& plan, const std::string& input, std::string_view extension)
{
    const fs::path name = fs::path(input).filename().replace_extension(std::string(extension));
    return (fs::path(plan.outDir.empty() ? std::string(".") : plan.outDir) / name).string();
}

int RunBatch(const BatchPlan& plan, const BatchWork& work)
{
    Batch batch(plan, work);
    const int threads = std::max(1, std::min<int>(plan.jobs, static_cast<int>(plan.inputs.size())));
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(threads - 1));
    for (int i = 1; i < threads; ++i) {
        workers.emplace_back([&batch] { batch.Work(); });
    }
    batch.Work();
    for (std::thread& worker : workers) {
        worker.join();
    }
    return batch.Summarise();
}

}  // namespace quaverly::cli
