#include "CliSupport.h"

#include "UnitMld/MelodyOrigin.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>

#include "base/Errors.h"
#include "base/FileIO.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"
#include "base/Messages.h"
#include "base/TextEncoding.h"

namespace quaverly::cli {

namespace {

// How standard input and output are named in messages.
constexpr const char* StandardStreamName = "-";

const OptionRule* FindOption(std::span<const OptionRule> options, std::string_view name)
{
    for (const OptionRule& option : options) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

Arguments::Arguments(const std::vector<std::string>& args, std::span<const OptionRule> options, size_t minPositional,
                     size_t maxPositional)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            m_positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        const OptionRule* option = FindOption(options, name);
        if (option == nullptr) {
            throw UsageError("unknown option '" + name + "'");
        }
        if (!option->takesValue) {
            if (equals != std::string::npos) {
                throw UsageError("option '" + name + "' takes no value");
            }
            m_options[name];
        } else if (equals != std::string::npos) {
            m_options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            m_options[name] = args[++i];
        } else {
            throw UsageError("option '" + name + "' needs a value");
        }
    }
    if (m_positional.size() < minPositional) {
        throw UsageError("missing argument");
    }
    if (m_positional.size() > maxPositional) {
        throw UsageError("too many arguments");
    }
}

std::string Arguments::Value(std::string_view name, std::string_view fallback) const
{
    auto found = m_options.find(std::string(name));
    return found == m_options.end() ? std::string(fallback) : found->second;
}

std::string Arguments::Required(std::string_view name) const
{
    auto found = m_options.find(std::string(name));
    if (found == m_options.end()) {
        throw UsageError("missing option '" + std::string(name) + "'");
    }
    return found->second;
}

std::string Arguments::PositionalOr(size_t index, std::string_view fallback) const
{
    return index < m_positional.size() ? m_positional[index] : std::string(fallback);
}

std::string ReadInput(const std::string& path, size_t maxBytes)
{
    if (path != StandardStreamName) {
        return ReadWholeFile(path, maxBytes);
    }
    return ReadAllFrom(STDIN_FILENO, StandardStreamName, maxBytes);
}

void WriteOutput(const std::string& path, const std::string& bytes)
{
    if (path != StandardStreamName) {
        WriteWholeFile(path, bytes);
        return;
    }
    // Whatever stdio holds must come out first; the bytes then go unbuffered.
    if (std::fflush(stdout) != 0) {
        throw FileError(Msg::FileWriteFailed, StandardStreamName, errno);
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw FileError(Msg::FileWriteFailed, StandardStreamName, n < 0 ? errno : EIO);
        }
        done += static_cast<size_t>(n);
    }
}

void LoadImage(MelodyStore& store, const std::string& path)
{
    if (path == StandardStreamName) {
        store.MelodyImage() = ReadInput(path);
    } else {
        store.OpenMelodyFile(path);
    }
}

void SaveImage(const MelodyStore& store, const std::string& path)
{
    if (path == StandardStreamName) {
        RequireMelodyImage(store.MelodyImage(), path);
        WriteOutput(path, store.MelodyImage());
    } else {
        store.SaveMelodyFile(path);
    }
}

EditorFields LoadMelody(MelodyStore& store, MelodyFileInfo& info, const std::string& path)
{
    LoadImage(store, path);
    return LoadedMelody(store, info);
}

std::optional<MfiMelody> ForeignMelody(const MelodyStore& store, const std::string& path)
{
    if (!IsForeignMelodyImage(store.MelodyImage())) {
        return std::nullopt;
    }
    MfiMelody melody = ReadMfiMelody(store.MelodyImage(), path);
    if (melody.partial) {
        PrintLine(stderr, "warning: " + melody.partialMessage);
    }
    return melody;
}

EditorFields LoadedMelody(MelodyStore& store, MelodyFileInfo& info)
{
    if (IsForeignMelodyImage(store.MelodyImage())) {
        Refuse(Msg::MfiImportHint);
    }
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info, ViewRows::Skip);
    if (!fields) {
        Refuse(Msg::DataFormatAbnormal);
    }
    return std::move(*fields);
}

EditorTexts LoadSong(const std::string& input, bool extended, MelodyStore& store, MelodyFileInfo& info)
{
    EditorTexts texts;
    const FileKind kind = FileKindOf(input);
    if (kind == FileKind::MelodyText) {
        ReadMelodyText(ReadInput(input), texts, info);
        const AnalysisResult result = AnalyseScore(store, texts, info, extended, ViewRows::Skip);
        if (result.refusal) {
            Refuse(*result.refusal);
        }
    } else if (kind == FileKind::Melody || kind == FileKind::PocketMelody || input == "-") {
        LoadImage(store, input);
        const EditorFields fields = LoadedMelody(store, info);
        texts = {.tempo = fields.tempoText,
                 .title = fields.title,
                 .tones = fields.toneTexts,
                 .volumes = fields.volumeTexts,
                 .scores = {}};
    } else {
        Refuse(Msg::NotSupported);
    }
    return texts;
}

std::string ForPerson(std::string_view sjis)
{
    std::string text = SjisToUtf8Lenient(sjis);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

void Print(std::FILE* stream, std::string_view sjis)
{
    std::string text = ForPerson(sjis);
    std::fwrite(text.data(), 1, text.size(), stream);
}

void PrintLine(std::FILE* stream, std::string_view sjis)
{
    std::string text = ForPerson(sjis);
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stream);
}

std::string ArgumentToSjis(std::string_view utf8, std::string_view optionName)
{
    try {
        return Utf8ToSjis(utf8);
    } catch (const QuaverlyError&) {
        throw UsageError("the text of '" + std::string(optionName) + "' has characters Shift-JIS cannot hold");
    }
}

void Refuse(std::string_view sjisMessage)
{
    throw QuaverlyError(std::string(sjisMessage));
}

}  // namespace quaverly::cli
