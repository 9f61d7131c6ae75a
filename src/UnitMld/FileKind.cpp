#include "FileKind.h"

#include <array>
#include <utility>

#include "base/FileIO.h"

namespace quaverly {

FileKind FileKindOf(std::string_view path)
{
    static constexpr std::array<std::pair<std::string_view, FileKind>, 10> Kinds{{
        {".MLD", FileKind::Melody},
        {".PMR", FileKind::PocketMelody},
        {".TML", FileKind::MelodyText},
        {".C99", FileKind::NumericText},
        {".MID", FileKind::Midi},
        {".MIDI", FileKind::Midi},
        {".KTM", FileKind::RingtoneBook},
        {".MUSICXML", FileKind::MusicXml},
        {".XML", FileKind::MusicXml},
        {".MXL", FileKind::MusicXml},
    }};
    const std::string extension = UpperExtension(path);
    for (const auto& [text, kind] : Kinds) {
        if (extension == text) {
            return kind;
        }
    }
    return FileKind::Other;
}

}  // namespace quaverly
