// quaverly-cli mail and unmail: a melody file as the mail attachment text
// ("--B:M" and Base64 lines), and a mail text back into a melody file.
#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MailText.h"
#include "UnitMld/MelodyStore.h"
#include "base/MessageFormat.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view MailHelp =
    "Usage: quaverly-cli mail SONG.mld|SONG.pmr|- [-o FILE]\n"
    "\n"
    "Writes the mail attachment text of the melody: the line \"--B:M\" and the\n"
    "file in Base64, 76 characters a line, lines ended by CR LF, exactly as\n"
    "the window puts it on the clipboard. A file that is not a melody is\n"
    "refused (exit 1).\n"
    "\n"
    "  -o FILE   write the text to FILE instead of standard output\n";

constexpr std::string_view UnmailHelp =
    "Usage: quaverly-cli unmail [FILE|-] -o SONG.mld\n"
    "\n"
    "Decodes a mail attachment text (standard input when FILE is missing or\n"
    "\"-\") and writes the melody file. The text may be a whole mail: the\n"
    "lines after the \"--B:M\" line are taken, without their quoting marks\n"
    "(\"> \"), up to a blank line or a signature (\"-- \"). Characters that\n"
    "are not Base64 are decoded as they always were, with a warning on\n"
    "standard error naming the first (\"FILE:LINE:COLUMN: warning: ...\").\n"
    "Text that does not decode to a melody is refused (exit 1) and nothing\n"
    "is written.\n"
    "\n"
    "  -o FILE   the melody file to write (\"-\": standard output)\n";

int RunMail(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"-o", true}}, 1, 1);
    MelodyStore store;
    LoadImage(store, arguments.Positional()[0]);
    if (!store.IsMelodyImage()) {
        Refuse(Msg::DataFormatAbnormal);
    }
    WriteOutput(arguments.Value("-o", "-"), MakeMailText(store.MelodyImage()));
    return ExitSuccess;
}

int RunUnmail(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"-o", true}}, 0, 1);
    std::string output = arguments.Required("-o");
    const std::string input = arguments.PositionalOr(0, "-");
    MelodyStore store;
    const MailReading reading = ReadMail(ReadInput(input));
    store.MelodyImage() = reading.image;
    if (!store.IsMelodyImage()) {
        Refuse(Msg::DataFormatAbnormal);
    }
    if (reading.notBase64 > 0) {
        // Decoded all the same, as the window does when asked to: say so.
        const std::string warning = input + ":" + std::to_string(reading.firstNotBase64.line) + ":" +
                                    std::to_string(reading.firstNotBase64.column) + ": warning: " +
                                    ForPerson(WithNumber(Msg::MailNotBase64Warning, reading.notBase64)) + "\n";
        std::fwrite(warning.data(), 1, warning.size(), stderr);
    }
    SaveImage(store, output);
    return ExitSuccess;
}

}  // namespace

extern const Subcommand MailCommand{"mail", "write a melody file as mail attachment text (Base64)", MailHelp, RunMail};
extern const Subcommand UnmailCommand{"unmail", "decode a mail attachment text into a melody file", UnmailHelp,
                                      RunUnmail};

}  // namespace quaverly::cli
