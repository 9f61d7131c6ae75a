// quaverly-cli: the command-line tool over the core library. main() picks the
// subcommand from the registry, answers --help and --version, and turns what
// the subcommand throws into the tool's exit codes: a bad command line is a
// usage error (2), a refusal or an error of the core is its message (1).
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "Subcommands.h"
#include "base/Errors.h"
#include "base/Messages.h"

namespace {

using namespace quaverly::cli;

constexpr const char* ToolVersion = "quaverly-cli " QUAVERLY_VERSION;

void PrintTopLevelHelp(std::FILE* stream)
{
    std::fprintf(stream,
                 "Usage: quaverly-cli SUBCOMMAND [ARGUMENTS]\n"
                 "   or: quaverly-cli SUBCOMMAND --help\n"
                 "   or: quaverly-cli --help | --version\n\n"
                 "Compiles, converts and inspects MLD ringtone melodies.\n"
                 "\"-\" stands for standard input or output.\n\n"
                 "Subcommands:\n");
    for (const Subcommand* subcommand : Subcommands()) {
        std::fprintf(stream, "  %-8.*s %.*s\n", static_cast<int>(subcommand->name.size()), subcommand->name.data(),
                     static_cast<int>(subcommand->summary.size()), subcommand->summary.data());
    }
    // The manual page quaverly-cli(1) is made from this text and from each
    // subcommand's --help, so what it says stays what the tool does.
    std::fputs("\n"
               "Exit status:\n"
               "  0  success\n"
               "  1  refused or failed: the input is not what the subcommand reads, or a file\n"
               "     could not be read or written (the message names the file and why)\n"
               "  2  a wrong command line\n"
               "  130  render was interrupted (Ctrl+C): nothing was written\n"
               "\n"
               "Options:\n"
               "  -h, --help  print this help, or after a subcommand its own help, and exit\n"
               "  --version   print the version and exit\n"
               "\n"
               "Environment:\n"
               "  QUAVERLY_SOUNDFONT     the General MIDI soundfont that \"wav\" and \"render\" use\n"
               "                         when --soundfont is not given (default: the first of\n"
               "                         /usr/share/sounds/sf2/TimGM6mb.sf2, FluidR3_GM.sf2,\n"
               "                         default-GM.sf2)\n"
               "  QUAVERLY_AUDIO_DRIVER  not read by this tool, which writes files only; the\n"
               "                         window program quaverly plays through that FluidSynth\n"
               "                         audio driver\n",
               stream);
}

bool AsksForHelp(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            return true;
        }
    }
    return false;
}

int RunSubcommand(const Subcommand& subcommand, const std::vector<std::string>& args)
{
    if (AsksForHelp(args)) {
        std::fwrite(subcommand.help.data(), 1, subcommand.help.size(), stdout);
        return ExitSuccess;
    }
    try {
        return subcommand.run(args);
    } catch (const UsageError& error) {
        std::string_view usage = UsageLine(subcommand);
        std::fprintf(stderr, "quaverly-cli %.*s: %s\n%.*s\nTry 'quaverly-cli %.*s --help'.\n",
                     static_cast<int>(subcommand.name.size()), subcommand.name.data(), error.what(),
                     static_cast<int>(usage.size()), usage.data(), static_cast<int>(subcommand.name.size()),
                     subcommand.name.data());
        return ExitUsage;
    }
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty()) {
        std::fprintf(stderr, "quaverly-cli: missing subcommand\n");
        PrintTopLevelHelp(stderr);
        return ExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintTopLevelHelp(stdout);
        return ExitSuccess;
    }
    if (args[0] == "--version") {
        std::printf("%s\n", ToolVersion);
        return ExitSuccess;
    }
    const Subcommand* subcommand = FindSubcommand(args[0]);
    if (subcommand == nullptr) {
        std::fprintf(stderr, "quaverly-cli: unknown subcommand '%s'\n", args[0].c_str());
        PrintTopLevelHelp(stderr);
        return ExitUsage;
    }
    return RunSubcommand(*subcommand, std::vector<std::string>(args.begin() + 1, args.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    // A file-size limit must come back from write() as an error to report,
    // not end the program halfway through a file.
    std::signal(SIGXFSZ, SIG_IGN);

    int code = ExitRefused;
    try {
        code = Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const quaverly::QuaverlyError& error) {
        PrintLine(stderr, error.what());
        code = ExitRefused;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quaverly-cli: %s\n", error.what());
        code = ExitRefused;
    }
    // A report that could not be printed in full is a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        PrintLine(stderr, quaverly::FileError(quaverly::Msg::FileWriteFailed, "-", errno).what());
        return code == ExitSuccess ? ExitRefused : code;
    }
    return code;
}
