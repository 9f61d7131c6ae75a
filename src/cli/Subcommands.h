// The registry of quaverly-cli's subcommands: name, one-line summary, help
// text and the function that runs it. main() finds the subcommand here,
// answers its --help from the help text, and turns UsageError into exit 2.
//
// Adding a subcommand takes one file and one registry line:
//  1. Write src/cli/Cli<Name>.cpp (the source list is globbed) defining
//         extern const Subcommand <Name>Command{"name", "summary", help, Run};
//     where Run(const std::vector<std::string>& args) gets the arguments after
//     the name, parses them with cli::Arguments, does the work through the
//     core, and returns an ExitCode; help starts with its "Usage: " line.
//     CliSupport.h has the rest: Refuse() for the system's refusals,
//     ReadInput/WriteOutput/SaveImage for files and "-", Print for people.
//  2. Add the line QUAVERLY_CLI_SUBCOMMAND(<Name>), to the table in
//     Subcommands.cpp, where the top-level --help should list it. A subcommand
//     that needs an optional library (the "wav" command: QUAVERLY_HAVE_SYNTH_MODULE)
//     has its line, and its whole file, inside #ifdef of that library's macro.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quaverly::cli {

struct Subcommand {
    std::string_view name;
    std::string_view summary;  // one line for the top-level --help
    std::string_view help;     // first line "Usage: quaverly-cli ...", then the details
    int (*run)(const std::vector<std::string>& args);
};

// The subcommands in the order the top-level --help lists them.
std::span<const Subcommand* const> Subcommands();
// The subcommand of that name, or nullptr.
const Subcommand* FindSubcommand(std::string_view name);
// The first line of the subcommand's help text.
std::string_view UsageLine(const Subcommand& subcommand);

}  // namespace quaverly::cli
