// quaverly-cli ktm: the songs of a ringtone-book file, one line each.
#include <algorithm>

#include "CliSupport.h"
#include "InKtlSrc/RingtoneBook.h"
#include "Subcommands.h"
#include "base/TextEncoding.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli ktm FILE.ktm|-\n"
    "\n"
    "Lists the songs of a ringtone-book file, one line each: title, artist and\n"
    "melody data separated by tabs (tabs and line breaks inside a field are\n"
    "shown as blanks). A file that ends inside a song prints the songs read so\n"
    "far, then the message (exit 1).\n";

// One song a line: a tab or line break inside a field would break the listing.
std::string ListingField(std::string_view sjis)
{
    std::string text = ForPerson(sjis);
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

void PrintSongs(const std::vector<RingtoneSong>& songs)
{
    for (const RingtoneSong& song : songs) {
        std::string line =
            ListingField(song.title) + '\t' + ListingField(song.artist) + '\t' + ListingField(song.melody) + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
}

int RunKtm(const std::vector<std::string>& args)
{
    Arguments arguments(args, {}, 1, 1);
    std::string path = arguments.Positional()[0];
    std::string bytes = ReadInput(path);
    try {
        PrintSongs(ReadRingtoneBook(bytes));
    } catch (const RingtoneBookError& error) {
        PrintSongs(error.SongsSoFar());
        // The reader works on bytes; the message names the file here.
        Refuse(std::string(error.what()) + "\r\n" + Utf8ToSjisLenient(path));
    }
    return ExitSuccess;
}

}  // namespace

extern const Subcommand KtmCommand{"ktm", "list the songs of a ringtone-book file (.ktm)", Help, RunKtm};

}  // namespace quaverly::cli
