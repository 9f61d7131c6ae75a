// What every subcommand of quaverly-cli shares: its argument parser, reading
// a file or "-" (standard input), writing a file or "-" (standard output),
// printing Shift-JIS text for a person as UTF-8, and the exit codes.
//
// Files the system defines pass through as their exact bytes; only what is
// printed for a person is converted. A refusal is thrown as QuaverlyError with
// the system's own (Shift-JIS) message, which main() prints before exit 1.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "UnitMfi/MfiMelody.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/ScoreAnalysis.h"
#include "base/FileIO.h"

namespace quaverly {

namespace cli {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitRefused = 1,  // a refusal or an error of the core: message on stderr, nothing written
    ExitUsage = 2,    // bad command line: usage on stderr
};

// A bad command line. The message is for the person typing it (plain ASCII).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionRule {
    std::string_view name;  // "-o", "--extended"
    bool takesValue;
};

// The arguments after the subcommand's name. Options may come anywhere,
// "--name=value" and "--name value" are the same, "-" is a positional
// argument, and "--" ends the options.
class Arguments {
public:
    // Throws UsageError for an unknown option, a missing option value or a
    // positional count outside minPositional..maxPositional.
    Arguments(const std::vector<std::string>& args, std::span<const OptionRule> options, size_t minPositional,
              size_t maxPositional);
    Arguments(const std::vector<std::string>& args, std::initializer_list<OptionRule> options,
              size_t minPositional, size_t maxPositional)
        : Arguments(args, std::span<const OptionRule>(options.begin(), options.size()), minPositional, maxPositional)
    {
    }

    bool Has(std::string_view name) const { return m_options.count(std::string(name)) != 0; }
    std::string Value(std::string_view name, std::string_view fallback) const;
    // The option's value; throws UsageError when the option is missing.
    std::string Required(std::string_view name) const;
    const std::vector<std::string>& Positional() const { return m_positional; }
    // The positional argument at index, or fallback when there are fewer.
    std::string PositionalOr(size_t index, std::string_view fallback) const;

private:
    std::map<std::string, std::string> m_options;
    std::vector<std::string> m_positional;
};

// The whole file, or all of standard input for "-". Throws FileError, also
// for more than maxBytes, which is refused before it is read.
std::string ReadInput(const std::string& path, size_t maxBytes = DefaultReadCap);
// The whole file written atomically, or the bytes to standard output for "-".
// Throws FileError.
void WriteOutput(const std::string& path, const std::string& bytes);

// Puts a file into the store as the window opens one (".pmr" skips its
// 192-byte header); "-" reads the image from standard input.
void LoadImage(MelodyStore& store, const std::string& path);
// Writes the store's image as the window saves it; "-" to standard output.
void SaveImage(const MelodyStore& store, const std::string& path);
// LoadImage, then the load into the editor fields as the window does it;
// refuses with "データ形式が異常です" when the bytes are not a melody.
EditorFields LoadMelody(MelodyStore& store, MelodyFileInfo& info, const std::string& path);

// LoadMelody on an image already loaded. A melody of another maker is
// refused with the hint to import it.
EditorFields LoadedMelody(MelodyStore& store, MelodyFileInfo& info);
// A song given to a command: a melody text file (".tml", analysed as "build"
// does, with extended the extended notation) or a melody image (".mld",
// ".pmr", "-"), into store. Returns the texts: of a melody text as written,
// of an image its settings without pages. Other inputs, a refused analysis
// and a melody of another maker are refused.
EditorTexts LoadSong(const std::string& input, bool extended, MelodyStore& store, MelodyFileInfo& info);
// The loaded image read whole when it is a melody of another maker (a partial
// reading warns on standard error), or nothing for this program's own layout.
std::optional<MfiMelody> ForeignMelody(const MelodyStore& store, const std::string& path);

// Shift-JIS text for a person: converted to UTF-8, CR LF turned into LF.
std::string ForPerson(std::string_view sjis);
// Prints ForPerson(sjis); PrintLine adds a line feed.
void Print(std::FILE* stream, std::string_view sjis);
void PrintLine(std::FILE* stream, std::string_view sjis);

// A text typed on the command line (UTF-8) as the Shift-JIS the system keeps.
// Throws UsageError naming the option when a character has no Shift-JIS form.
std::string ArgumentToSjis(std::string_view utf8, std::string_view optionName);

// Throws QuaverlyError with the system's message: main() prints it, exit 1.
[[noreturn]] void Refuse(std::string_view sjisMessage);

}  // namespace cli
}  // namespace quaverly
