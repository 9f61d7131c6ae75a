// Many input files in one command: the subcommands that convert or show a
// file (midi, render, info, text, import) take several inputs and -d OUTDIR,
// and hand each input to one shared runner. It runs the inputs on every
// processor (--jobs N), goes on past a file that fails, prints a line per
// failure with its reason and a summary at the end, shows its progress on a
// terminal, and answers exit 1 when any input failed.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "CliSupport.h"

namespace quaverly::cli {

// -d OUTDIR and --jobs N, added to a subcommand's own rules.
std::vector<OptionRule> WithBatchOptionRules(std::vector<OptionRule> rules);

struct BatchPlan {
    std::vector<std::string> inputs;
    std::string outDir;  // empty: no -d
    int jobs = 1;        // worker threads
};

// The inputs and the batch options as typed. Throws UsageError for a bad
// --jobs, for -d that is not a folder, and for -d with -o.
BatchPlan ReadBatchPlan(const Arguments& arguments);

// Whether the command works as a batch: several inputs, or -d.
inline bool IsBatch(const BatchPlan& plan)
{
    return plan.inputs.size() > 1 || !plan.outDir.empty();
}

// Throws UsageError when several inputs come without -d (a subcommand that
// writes a file for each).
void RequireOutDir(const BatchPlan& plan);

// OUTDIR/NAME.EXT for an input path (its file name without the extension).
std::string BatchOutputPath(const BatchPlan& plan, const std::string& input, std::string_view extension);

// What one input's work gives back: text for standard output (printed in the
// inputs' order, each after a line "==> INPUT <=="), and notes for standard
// error (printed as they come). A failure is thrown: QuaverlyError or
// UsageError with its reason.
struct BatchResult {
    std::string out;    // UTF-8
    std::string notes;  // UTF-8
};
using BatchWork = std::function<BatchResult(const std::string& input)>;

// Runs work for every input on plan.jobs threads. Returns ExitSuccess when
// every input succeeded, else ExitRefused after the summary.
int RunBatch(const BatchPlan& plan, const BatchWork& work);

}  // namespace quaverly::cli
