#include "Subcommands.h"

#include <vector>

namespace quaverly::cli {

// The object that Cli<Name>.cpp defines, declared where it is listed so that
// each subcommand takes one line of the table.
#define QUAVERLY_CLI_SUBCOMMAND(Name)                                                                  \
    [] {                                                                                               \
        extern const Subcommand Name##Command;                                                         \
        return &Name##Command;                                                                         \
    }()

std::span<const Subcommand* const> Subcommands()
{
    static const std::vector<const Subcommand*> table{
        QUAVERLY_CLI_SUBCOMMAND(Build),
        QUAVERLY_CLI_SUBCOMMAND(Parse),
        QUAVERLY_CLI_SUBCOMMAND(Text),
        QUAVERLY_CLI_SUBCOMMAND(Seq),
        QUAVERLY_CLI_SUBCOMMAND(Info),
        QUAVERLY_CLI_SUBCOMMAND(Midi),
#ifdef QUAVERLY_HAVE_SYNTH_MODULE
        QUAVERLY_CLI_SUBCOMMAND(Wav),
        QUAVERLY_CLI_SUBCOMMAND(Render),
#endif
        QUAVERLY_CLI_SUBCOMMAND(Mail),
        QUAVERLY_CLI_SUBCOMMAND(Unmail),
        QUAVERLY_CLI_SUBCOMMAND(Import),
        QUAVERLY_CLI_SUBCOMMAND(Ktm),
        QUAVERLY_CLI_SUBCOMMAND(Rtttl),
        QUAVERLY_CLI_SUBCOMMAND(Mml),
        QUAVERLY_CLI_SUBCOMMAND(MusicXml),
    };
    return table;
}

#undef QUAVERLY_CLI_SUBCOMMAND

const Subcommand* FindSubcommand(std::string_view name)
{
    for (const Subcommand* subcommand : Subcommands()) {
        if (subcommand->name == name) {
            return subcommand;
        }
    }
    return nullptr;
}

std::string_view UsageLine(const Subcommand& subcommand)
{
    return subcommand.help.substr(0, subcommand.help.find('\n'));
}

}  // namespace quaverly::cli
